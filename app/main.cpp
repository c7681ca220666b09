// Quorvane: with no argument the main window opens; with a file path on
// the command line the file is batch-printed and the program exits without
// a window, reporting every problem on stderr. Exit status 0 means every
// line printed as asked.
#include "app/Form1.h"
#include "platform/MessageBox.h"
#include "platform/Termination.h"
#include "platform/Printers.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char* argv[])
{
    // The whole argument text is one path, blanks included.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString commandLine = args.join(QLatin1Char(' '));
    const bool unattended = !commandLine.trimmed().isEmpty();

    // An unattended run never shows a window, so it needs no display.
    if (unattended && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));

    platform::StderrSink stderrSink;
    if (unattended) {
        platform::SetMessageSink(&stderrSink);
        platform::InstallTerminationHandler(); // a stopped run drops its job and exits non-zero
        // The built-in PDF printer tells where each job went.
        platform::SetPdfWrittenHandler([](const QString& path) {
            std::fprintf(stdout, "%s\n", path.toLocal8Bit().constData());
            std::fflush(stdout);
        });
    }

    app::Form1 window;
    if (window.Form_Load(commandLine))
        return platform::MessagesShown() == 0 ? 0 : 1;
    window.show();
    return QApplication::exec();
}
