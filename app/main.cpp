// Quorvane: with no argument the main window opens; with a file path the
// file is batch-printed and the program exits without a window, reporting
// every problem on stderr; `quorvane export ...` writes barcodes as files
// and `quorvane --help` tells the rest. Exit status 0 means everything was
// done as asked, 1 that something was not, 2 a command line it can't read.
#include "app/CommandLine.h"
#include "app/ExportCommand.h"
#include "app/Form1.h"
#include "app/PrintJobs.h"
#include "app/SheetJobs.h"
#include "app/StoredLayouts.h"
#include "app/StoredOptions.h"
#include "platform/MessageBox.h"
#include "platform/Printers.h"
#include "platform/Settings.h"
#include "platform/Termination.h"
#include "platform/TextCodec.h"

#include <QApplication>
#include <QIcon>
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

// Help, the version and the layouts go to stdout: a run whose answer did
// not get there did not do what was asked.
int SayOnStdout(const QString& text)
{
    const QByteArray bytes = platform::ToLocalBytes(text) + '\n';
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) == static_cast<size_t>(bytes.size());
    return std::fflush(stdout) == 0 && written ? 0 : 1;
}

QtMessageHandler g_qtMessages = nullptr;

// A script reads stderr for what went wrong, told by the program itself
// with the line or file it concerns: Qt's own remarks (a runtime folder it
// chose, a font without OpenType support for a script, a painter that
// could not start) are not that, and the failures behind them are told.
void QtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg)
        g_qtMessages(type, context, text);
}

} // namespace

int main(int argc, char* argv[])
{
    // Every argument as its bytes say, so a file name that is not UTF-8
    // still opens.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << platform::FromLocalBytes(argv[i]);
    const app::Command command = app::ParseCommandLine(args);
    switch (command.kind) {
    case app::Command::Help: return SayOnStdout(app::CommandLineHelp());
    case app::Command::Version: return SayOnStdout(app::VersionText());
    case app::Command::Error:
        platform::WriteStderrLine(QStringLiteral("quorvane: %1\n%2").arg(command.error, app::CommandLineUsage()));
        return 2;
    case app::Command::Window:
    case app::Command::Export:
    case app::Command::Print:
    case app::Command::PrintRange:
    case app::Command::Layouts: break;
    }
    const bool unattended = command.kind != app::Command::Window;

    // An unattended run never shows a window, so it needs no display.
    if (unattended && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (unattended)
        g_qtMessages = qInstallMessageHandler(QtMessage);

    // Qt's own options (-platform, -style, ...) are never taken from the
    // command line: they are file names like any other there.
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    // The menu entry is quorvane.desktop: Wayland shells find it (and its
    // icon) by this name, X11 ones by the window's class, which Qt takes
    // from the application name ("Quorvane", its StartupWMClass).
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvane"));

    platform::StderrSink stderrSink;
    if (unattended) {
        platform::SetMessageSink(&stderrSink);
        platform::InstallTerminationHandler(); // a stopped run drops its work and exits non-zero
    }
    // Each printer's jobs are moved and scaled by its stored calibration.
    platform::SetCalibrationLookup(app::StoredCalibration);
    if (command.kind == app::Command::Layouts)
        return SayOnStdout(app::LayoutList());
    if (command.kind == app::Command::Export)
        return command.layout.isEmpty() ? app::RunExport(command) : app::ExportSheets(command);

    if (unattended) {
        // The built-in PDF printer tells where each job went.
        platform::SetPdfWrittenHandler(TellPdfWritten);
        // Without a store at all the file would print with the defaults, not
        // as the user set it up: nothing is printed.
        if (const QString problem = platform::SettingsProblem(); !problem.isEmpty()) {
            platform::MsgBox(QStringLiteral("The settings can't be read: %1. Nothing was printed.").arg(problem));
            return 1;
        }
        // A store that may not be used (a link to nothing, a FIFO, too large)
        // reads as the defaults; the run says so before it prints with them.
        if (const QString problem = platform::SettingsFileProblem(app::kOptionsApp); !problem.isEmpty())
            platform::ShowNotice(QStringLiteral("The settings can't be read: %1.").arg(problem));
        platform::SetPdfGridDpi(command.pdfDpi > 0 ? command.pdfDpi : app::ReadStoredOptions().pdfDpi);
        if (command.dryRun) {
            const std::optional<QString> said = app::DryRun(command.file.trimmed(), command.printer);
            return said ? SayOnStdout(*said) : 1;
        }
        if (command.kind == app::Command::PrintRange)
            return app::PrintRangeUnattended(command) && g_pathsTold ? 0 : 1;
        // No window: the file prints straight from the stored options.
        app::UnattendedPrint how;
        how.printer = command.printer;
        how.strict = command.strict;
        how.wait = command.wait;
        how.waitSeconds = command.waitSeconds;
        return app::PrintFileUnattended(command.file.trimmed(), how) && g_pathsTold ? 0 : 1;
    }

    app::Form1 window;
    window.Form_Load();
    // The installed icon, for window managers that show the window's own.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quorvane")));
    window.show();
    return QApplication::exec();
}
