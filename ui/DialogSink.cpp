#include "ui/DialogSink.h"

#include <QApplication>
#include <QMessageBox>

namespace ui {

void DialogSink::Show(const QString& text, const QString& title)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        services::StderrSink().Show(text, title);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace ui
