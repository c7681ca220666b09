#include "ui/Form1.h"

#include "services/EventPump.h"
#include "services/Messages.h"
#include "ui/Clipboard.h"

#include <QPushButton>
#include <QRadioButton>

namespace ui {

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
    const graphics::Drawing& drawing = BarcodeToPrint();
    if (!picture) {
        // Nothing was generated (or the text was empty): the clipboard
        // keeps what it holds rather than being emptied for nothing.
        messages_->MsgBox(QStringLiteral("There is no barcode to copy. Please Generate a barcode first."));
        return;
    }

    Command9->setEnabled(false);
    ClearClipboard();
    // Pasted next to other content, a symbol needs white of its own to scan.
    PlacePictureOnClipboard(graphics::WithQuietZones(*picture, graphics::QuietZonePixels(drawing), graphics::QuietZoneRows(drawing)));
    services::Pump(pump_);
    messages_->ShowNotice(
        QStringLiteral("Copy Complete, The barcode can be pasted in other windows applications now with Ctrl-V"));
    Command9->setEnabled(true);
}

} // namespace ui
