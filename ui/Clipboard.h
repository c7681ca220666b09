// The system clipboard as the program uses it: emptied, then given one
// picture that other programs can paste.
#pragma once

#include <QImage>

namespace ui {

// Removes every earlier content of the clipboard, of any format.
void ClearClipboard();

// Places the picture on the clipboard as PNG ("image/png") and as the
// platform's bitmap format (a device-independent bitmap on Windows,
// "image/bmp" elsewhere), with nothing else beside it.
void PlacePictureOnClipboard(const QImage& picture);

} // namespace ui
