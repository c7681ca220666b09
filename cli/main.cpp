// Quorvane: with no argument the main window opens; with a file path the
// file is batch-printed and the program exits without a window, reporting
// every problem on stderr; `quorvane export ...` writes barcodes as files
// and `quorvane --help` tells the rest. Exit status 0 means everything was
// done as asked, 1 that something was not, 2 a command line it can't read.
#include "cli/CommandLine.h"
#include "cli/ExportCommand.h"
#include "cli/LabelCommands.h"
#include "cli/MergeCommand.h"
#include "cli/SheetCommands.h"
#include "core/TextCodec.h"
#include "jobs/PrintJobs.h"
#include "jobs/SheetJobs.h"
#include "jobs/StoredLayouts.h"
#include "jobs/StoredOptions.h"
#include "printing/Printers.h"
#include "services/Messages.h"
#include "services/Settings.h"
#include "services/Termination.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <cerrno>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The PDF's path on stdout is how a script learns where its job went: a
// path that could not be written there (a full disk, a closed stdout) is a
// failed run, and `told` says so.
void TellPdfWritten(const QString& path, services::MessageSink& messages, bool& told)
{
    const QByteArray line = core::ToLocalBytes(path) + '\n';
    errno = 0;
    const bool written = std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout) == static_cast<size_t>(line.size());
    if (std::fflush(stdout) != 0 || !written) {
        told = false;
        messages.MsgBox(QStringLiteral("The PDF file %1 was written, but its path could not be written to the standard output: %2")
                            .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
}

// A script reads stderr for what went wrong, told by the program itself
// with the line or file it concerns: Qt's own remarks (a runtime folder it
// chose, a font without OpenType support for a script, a painter that
// could not start) are not that, and the failures behind them are told.
// A fatal one still ends the program, after its line on stderr.
void QtMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtFatalMsg)
        return;
    services::WriteStderrLine(QStringLiteral("quorvane: ") + text);
    std::abort();
}

// The printers as the stored options set them up: each printer's
// calibration and label setup (what the command line gives for a label
// printer over the stored one), and the grid of the built-in printer's
// PDFs (`pdfDpi` overrides the stored one).
printing::Printers StoredPrinters(int pdfDpi, const printing::LabelSetup& labelSetup = {})
{
    printing::Printers printers;
    printers.calibration = jobs::StoredCalibration;
    printers.labelSetup = [labelSetup](const QString& printer) {
        return jobs::MergeLabelSetup(jobs::StoredLabelSetup(printer), labelSetup);
    };
    printers.SetPdfGridDpi(pdfDpi > 0 ? pdfDpi : jobs::ReadStoredOptions().pdfDpi);
    return printers;
}

// A printer or a layout the command line names that does not exist, or an
// option that does not apply to the printer: as any value the command line
// can't use, said with the usage line, exit status 2.
QString UnknownName(const cli::Command& command, const printing::Printers& printers)
{
    if (!command.printer.isEmpty() && !printers.IsKnown(command.printer))
        return QStringLiteral("There is no printer named \"%1\"; nothing was printed. The printers are: %2.")
            .arg(command.printer, printers.Installed().join(QStringLiteral(", ")));
    if (!command.layout.isEmpty())
        if (const auto layout = jobs::FindLayout(command.layout); layout.failed())
            return layout.failure().text;
    // The grid of the built-in printer's PDFs means nothing to another printer.
    if (command.pdfDpi <= 0)
        return {};
    QString printer = command.printer.isEmpty() ? jobs::ReadStoredOptions().printer : command.printer;
    if (!printers.IsKnown(printer))
        printer = printers.Default(); // where the jobs go
    if (command.pdfDpi > 0 && printer != printing::kPdfPrinterName)
        return QStringLiteral("--pdf-dpi applies to the built-in printer \"%1\" only, not \"%2\"")
            .arg(printing::kPdfPrinterName, printer);
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    // Every argument as its bytes say, so a file name that is not UTF-8
    // still opens.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << core::FromLocalBytes(argv[i]);
    const cli::Command command = cli::ParseCommandLine(args);
    switch (command.kind) {
    case cli::Command::Help: return cli::SayOnStdout(cli::CommandLineHelp());
    case cli::Command::Version: return cli::SayOnStdout(cli::VersionText());
    case cli::Command::Error:
        services::WriteStderrLine(QStringLiteral("quorvane: %1\n%2").arg(command.error, cli::CommandLineUsage()));
        return 2;
    case cli::Command::Window:
    case cli::Command::Export:
    case cli::Command::Print:
    case cli::Command::PrintRange:
    case cli::Command::LabelCheck:
    case cli::Command::Labels:
    case cli::Command::Layouts: break;
    }
    const bool unattended = command.kind != cli::Command::Window;

    // An unattended run never shows a window, so it needs no display.
    if (unattended && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (unattended)
        qInstallMessageHandler(QtMessage);

    // Qt's own options (-platform, -style, ...) are never taken from the
    // command line: they are file names like any other there.
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    // The window needs widgets; an unattended run paints only into files
    // and print jobs, and starts sooner without them.
    const std::unique_ptr<QGuiApplication> app = unattended ? std::make_unique<QGuiApplication>(qtArgc, qtArgv)
                                                            : std::make_unique<QApplication>(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    // The menu entry is quorvane.desktop: Wayland shells find it (and its
    // icon) by this name, X11 ones by the window's class, which Qt takes
    // from the application name ("Quorvane", its StartupWMClass).
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvane"));

    if (!unattended) {
        ui::Form1 window;
        window.Form_Load();
        // The installed icon, for window managers that show the window's own.
        QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quorvane")));
        window.show();
        return QApplication::exec();
    }

    services::StderrSink messages;
    services::InstallTerminationHandler(); // a stopped run drops its work and exits non-zero
    // A printer not listed because its print server is down is not a
    // name the user got wrong: the run says what is wrong instead.
    const printing::Printers printers = StoredPrinters(command.pdfDpi, command.labelSetup);
    if (!command.printer.isEmpty() && !printers.IsKnown(command.printer))
        if (const QString down = printers.ServerProblem(); !down.isEmpty()) {
            messages.MsgBox(QStringLiteral("The printer \"%1\" can't be used: %2. Nothing was printed.").arg(command.printer, down));
            return 1;
        }
    if (const QString unknown = UnknownName(command, printers); !unknown.isEmpty()) {
        services::WriteStderrLine(QStringLiteral("quorvane: %1\n%2").arg(unknown, cli::CommandLineUsage()));
        return 2;
    }
    if (command.kind == cli::Command::Layouts)
        return cli::SayOnStdout(jobs::LayoutList());
    if (command.kind == cli::Command::LabelCheck)
        return cli::CheckLabel(command);
    if (command.kind == cli::Command::Export && !command.label.isEmpty())
        return cli::ExportLabel(command);
    if (command.kind == cli::Command::Export)
        return command.layout.isEmpty() ? cli::RunExport(command)
                                         : cli::ExportSheets(command, messages, StoredPrinters(0));

    // Without a store at all the file would print with the defaults, not
    // as the user set it up: nothing is printed.
    if (const QString problem = services::SettingsProblem(); !problem.isEmpty()) {
        messages.MsgBox(QStringLiteral("The settings can't be read: %1. Nothing was printed.").arg(problem));
        return 1;
    }
    // A store that may not be used (a link to nothing, a FIFO, too large)
    // reads as the defaults; the run says so before it prints with them.
    if (const QString problem = services::SettingsFileProblem(jobs::kOptionsApp); !problem.isEmpty())
        messages.ShowNotice(QStringLiteral("The settings can't be read: %1.").arg(problem));
    // The built-in PDF printer tells where each job went.
    bool pathsTold = true;
    const jobs::Unattended run{printers, messages,
                               [&](const QString& path) { TellPdfWritten(path, messages, pathsTold); }};
    if (command.kind == cli::Command::Labels) {
        const int status = cli::RunLabels(command, run);
        return status == 0 && !pathsTold ? 1 : status;
    }
    if (command.dryRun && command.kind == cli::Command::PrintRange) {
        const std::optional<QString> said = cli::DryRunRange(command, run);
        return said ? cli::SayOnStdout(*said) : 1;
    }
    if (command.dryRun) {
        const std::optional<QString> said = jobs::DryRun(command.file.trimmed(), command.printer, run);
        return said ? cli::SayOnStdout(*said) : 1;
    }
    if (command.kind == cli::Command::PrintRange)
        return cli::PrintRangeUnattended(command, run) && pathsTold ? 0 : 1;
    if (!command.label.isEmpty())
        return cli::PrintLabelUnattended(command, run) && pathsTold ? 0 : 1;
    // No window: the file prints straight from the stored options.
    jobs::UnattendedPrint how;
    how.printer = command.printer;
    how.strict = command.strict;
    how.wait = command.wait;
    how.waitSeconds = command.waitSeconds;
    how.printSize = command.printSize;
    return jobs::PrintFileUnattended(command.file.trimmed(), how, run) && pathsTold ? 0 : 1;
}
