// Quorvane: with no argument the main window opens; with a file path on
// the command line the file is batch-printed and the program exits without
// a window, reporting every problem on stderr. Exit status 0 means every
// line printed as asked.
#include "app/Form1.h"
#include "platform/MessageBox.h"
#include "platform/Printers.h"
#include "platform/Settings.h"
#include "platform/Termination.h"
#include "platform/TextCodec.h"

#include <QApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool g_pathsTold = true; // every PDF's path reached stdout

// The PDF's path on stdout is how a script learns where its job went: a
// path that could not be written there (a full disk, a closed stdout) is a
// failed run.
void TellPdfWritten(const QString& path)
{
    const QByteArray line = platform::ToLocalBytes(path) + '\n';
    errno = 0;
    const bool written = std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout) == static_cast<size_t>(line.size());
    if (std::fflush(stdout) != 0 || !written) {
        g_pathsTold = false;
        platform::MsgBox(QStringLiteral("The PDF file %1 was written, but its path could not be written to the standard output: %2")
                             .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // The whole argument text is one path, blanks included. Its bytes are
    // kept as they are, so a file name that is not UTF-8 still opens.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << platform::FromLocalBytes(argv[i]);
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
        platform::SetPdfWrittenHandler(TellPdfWritten);
        // Without the stored options the file would print with the defaults,
        // not as the user set it up.
        if (const QString problem = platform::SettingsProblem(); !problem.isEmpty()) {
            platform::MsgBox(QStringLiteral("The settings can't be read: %1. Nothing was printed.").arg(problem));
            return 1;
        }
    }

    app::Form1 window;
    if (window.Form_Load(commandLine))
        return window.BatchSucceeded() && g_pathsTold ? 0 : 1;
    window.show();
    return QApplication::exec();
}
