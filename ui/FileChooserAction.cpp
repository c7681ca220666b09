#include "ui/Form1.h"

#include "ui/FileChooser.h"

#include <algorithm>

#include <QLineEdit>
#include <QScreen>

namespace ui {

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
    Chooser = new Form2([this](const QString& path) { Text5->setText(path); }, *messages_, this);
    Chooser->Form_Load();
    // The design's size shows four folders and six files: it opens half as
    // wide again and twice as tall (its lists grow with it), as far as the
    // screen allows, over the main window, not at the screen's corner.
    QSize size(Chooser->width() * 3 / 2, Chooser->height() * 2);
    if (screen())
        size = size.boundedTo(screen()->availableGeometry().size() * 9 / 10).expandedTo(Chooser->size());
    Chooser->resize(size);
    Chooser->move(frameGeometry().center() - Chooser->rect().center());
    Chooser->show();
}

} // namespace ui
