#include "app/Form1.h"

#include "app/FileChooser.h"

#include <QLineEdit>

namespace app {

// Opens the file chooser beside the main window (both stay usable); when
// it is open already it comes to the front with its state kept.
void Form1::FileOpen_Click()
{
    if (Chooser && Chooser->isVisible()) {
        Chooser->raise();
        Chooser->activateWindow();
        return;
    }
    // What is picked or typed in the chooser becomes the batch file at once.
    Chooser = new app::Form2([this](const QString& path) { Text5->setText(path); }, this);
    Chooser->Form_Load();
    // Over the main window, not at the screen's corner.
    Chooser->move(frameGeometry().center() - Chooser->rect().center());
    Chooser->show();
}

} // namespace app
