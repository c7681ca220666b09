// A barcode as a file holds it: the symbol drawn without a window, cut to
// what was drawn, checked that it scans when asked. Saving it (the window's
// "Save Bar Code As...", the command line's export) is the files' business.
#pragma once

#include "symbols/Generate.h"

namespace symbols {

// The drawing of a request as a file holds it, or why there is none: a
// text the symbology can't draw, or (when `verify`) a symbol that does not
// read back as the text.
struct SymbolFile {
    graphics::Drawing drawing;
    QString note; // the symbol holds another text than was typed, and why; empty when not
};
// `strict`: a symbol that would hold another text than was typed is a
// failure too.
core::Result<SymbolFile> DrawForFile(const SymbolRequest& request, bool verify, bool strict = false);

// Whether the picture a file is about to hold (a PNG, at the size written)
// scans as the request's text; `size` says that size in the message
// ("at 2 pixels a module").
core::Status ScansInPicture(const QImage& picture, const SymbolRequest& request, const QString& size);

} // namespace symbols
