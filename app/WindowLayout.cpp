#include "app/Form1.h"

#include "app/Layout.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>

namespace app {

void Form1::Settings_Click()
{
    const bool hide = Settings->text() == QLatin1String("&Hide Settings");
    Settings->setText(hide ? QStringLiteral("&Show Settings") : QStringLiteral("&Hide Settings"));
    FrameOptions->setVisible(!hide);
    const int frameExtra = frameGeometry().height() - geometry().height();
    resize(width(), TwipsToPx(hide ? 3400 : 5850) - frameExtra);
    store(QStringLiteral("show"), hide ? QStringLiteral("0") : QStringLiteral("1"));
}

void Form1::Form_Resize() {}
void Form1::Help2_Click() {}
void Form1::About_Click() {}
void Form1::Exit_Click() { QApplication::closeAllWindows(); }

} // namespace app
