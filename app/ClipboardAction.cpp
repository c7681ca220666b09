#include "app/Form1.h"

#include "platform/Clipboard.h"
#include "platform/EventPump.h"
#include "platform/MessageBox.h"

#include <QPushButton>
#include <QRadioButton>

namespace app {

// "Copy Bar Code to Clipboard": the barcode that Print would print, as a
// picture other programs paste. The button stays disabled until the
// confirmation is closed, so a second copy cannot start meanwhile.
void Form1::Command9_Click()
{
    // A symbol whose Generate failed is no barcode: a copy of it would
    // paste a message or half a symbol as if it were one.
    if (RefuseFailedSymbol(QStringLiteral("copy")))
        return;
    const std::optional<QImage> picture = PictureToCopy();
    const platform::Drawing& drawing = BarcodeToPrint();
    if (!picture) {
        // Nothing was generated (or the text was empty): the clipboard
        // keeps what it holds rather than being emptied for nothing.
        platform::MsgBox(QStringLiteral("There is no barcode to copy. Please Generate a barcode first."));
        return;
    }

    Command9->setEnabled(false);
    platform::ClearClipboard();
    // Pasted next to other content, a symbol needs white of its own to scan.
    platform::PlacePictureOnClipboard(platform::WithQuietZones(*picture, platform::QuietZonePixels(drawing), platform::QuietZoneRows(drawing)));
    platform::DoEvents();
    platform::ShowNotice(
        QStringLiteral("Copy Complete, The barcode can be pasted in other windows applications now with Ctrl-V"));
    Command9->setEnabled(true);
}

} // namespace app
