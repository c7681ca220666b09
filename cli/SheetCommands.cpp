#include "cli/SheetCommands.h"

#include "cli/ExportCommand.h"
#include "files/AtomicFile.h"
#include "jobs/PrintJobs.h"
#include "jobs/SheetJobs.h"
#include "jobs/StoredLayouts.h"
#include "jobs/StoredOptions.h"
#include "printing/JobFollow.h"
#include "printing/PrintAction.h"
#include "printing/RangePrint.h"
#include "services/MessageBox.h"
#include "services/Termination.h"

#include <QFileInfo>

namespace cli {

namespace {

// Follows the CUPS jobs a run sent until each has printed; false, with
// the reason shown, for one that did not.
bool JobsPrinted(std::vector<printing::CupsJob>& jobs, int seconds)
{
    bool printed = true;
    for (printing::CupsJob& job : jobs) {
        if (printed)
            if (const core::MaybeFailure failed = printing::WaitForJob(job, seconds)) {
                services::MsgBox(failed->text);
                printed = false;
            }
        printing::ForgetJob(job);
    }
    return printed;
}

// The start position the command line asks for on the layout (by number
// or by row and column), else `stored`.
printing::StartPosition StartOf(const Command& command, const printing::SheetLayout& layout, int stored)
{
    if (command.startRow > 0)
        return printing::StartAtRowColumn(layout, command.startRow, command.startColumn);
    return printing::StartPosition{command.start > 0 ? command.start : stored, std::nullopt};
}

} // namespace

bool PrintRangeUnattended(const Command& command)
{
    const jobs::StoredOptions stored = jobs::ReadStoredOptions();
    const jobs::LayoutChoice layout = jobs::FindLayout(command.layout.isEmpty() ? stored.layout : command.layout);
    if (layout.failure) {
        services::MsgBox(layout.failure->text + QStringLiteral(" Nothing was printed."));
        return false;
    }
    if (const auto range = printing::ReadRange(command.from, command.to); range && !range->CanStep()) {
        services::MsgBox(printing::kRangeTooLarge);
        return false;
    }
    const QString printerName = jobs::UnattendedPrinter(command.printer);
    if (printerName.isEmpty())
        return false;
    printing::Printer& printer = printing::CurrentPrinter();
    printer.SelectByName(printerName);
    const symbols::SymbolRequest options = stored.Request(QString());
    const printing::NextLabel labels = jobs::RangeLabels(command.prefix, command.from, command.to,
                                                 [&options](const QString& code) { return jobs::ListingBarcode(options, code); });
    const double left = printing::OffsetCm(stored.left), top = printing::OffsetCm(stored.top);
    std::vector<printing::CupsJob> jobs;
    bool asAsked = true;
    if (layout.sheet) {
        const printing::StartPosition start = StartOf(command, *layout.sheet, stored.layoutStart);
        if (start.failure) {
            services::MsgBox(start.failure->text + QStringLiteral(" Nothing was printed."));
            return false;
        }
        const printing::SheetPlacement placement{*layout.sheet, start.label, left, top};
        const printing::SheetResult result = printing::PrintOnSheets(printer, placement, labels);
        if (result.failure)
            services::MsgBox(result.failure->text);
        if (result.printed > 0 && printer.LastJob())
            jobs.push_back(*printer.LastJob());
        asAsked = result.printed > 0 || (!result.failure && !result.stopped);
    } else {
        // One job per label, as Run It prints on single labels.
        for (std::optional<printing::SheetLabel> label = labels(); label && !services::TerminationRequested(); label = labels()) {
            const core::MaybeFailure failed =
                label->barcode.failure
                    ? core::Failure{label->barcode.failure->code,
                                        QStringLiteral("There is no barcode to print for the label \"%1\": %2")
                                            .arg(label->text, label->barcode.failure->text)}
                    : printing::PrintDrawingAt(printer, label->barcode.drawing, left, top);
            if (failed) {
                services::MsgBox(failed->text);
                asAsked = false;
                break;
            }
            if (printer.LastJob())
                jobs.push_back(*printer.LastJob());
        }
        asAsked = asAsked && !services::TerminationRequested();
    }
    const bool printed = command.wait ? JobsPrinted(jobs, command.waitSeconds) : true;
    if (!command.wait)
        for (printing::CupsJob& job : jobs)
            printing::ForgetJob(job);
    return asAsked && printed;
}

int ExportSheets(const Command& command)
{
    const QString shown = files::ShownPath(command.output);
    const auto nothing = [&](const QString& why) {
        services::MsgBox(QStringLiteral("%1; nothing was written to %2.").arg(why, shown));
        return 1;
    };
    const jobs::LayoutChoice layout = jobs::FindLayout(command.layout);
    if (layout.failure)
        return nothing(layout.failure->text.chopped(1));
    if (!layout.sheet)
        return nothing(QStringLiteral("A PDF of sheets needs a sheet layout, not \"%1\"").arg(printing::kOneLabelPerJob));
    const printing::StartPosition start = StartOf(command, *layout.sheet, 1);
    if (start.failure)
        return nothing(start.failure->text.chopped(1));
    auto error = std::make_shared<QString>();
    const printing::NextLabel labels = jobs::FileLabels(command.batch, QString(), false,
                                                [&command](const QString& code) {
                                                    const symbols::SymbolFile file = symbols::DrawForFile(ExportRequest(command, code),
                                                                                        command.verify, command.strict);
                                                    return printing::Barcode{file.drawing, file.failure, file.note};
                                                },
                                                error);
    if (!error->isEmpty())
        return nothing(*error);
    files::AtomicFile file;
    QString reason;
    const QString folder = QFileInfo(command.output).absolutePath();
    files::AtomicFile::RemoveAbandoned(folder, QStringLiteral(".pdf.part"));
    if (!file.Create(folder, QStringLiteral(".pdf.part"), reason))
        return nothing(QStringLiteral("Cannot write %1: %2").arg(shown, reason));
    printing::Printer pdf;
    pdf.SelectByName(printing::kPdfPrinterName);
    pdf.WriteNextPdfTo(file.Device());
    const printing::SheetPlacement placement{*layout.sheet, start.label, command.leftCm, command.topCm};
    const printing::SheetResult result = printing::PrintOnSheets(pdf, placement, labels);
    const auto dropped = [&](const QString& why) {
        file.Discard();
        return nothing(why);
    };
    if (result.stopped)
        return dropped(QStringLiteral("Stopped"));
    if (result.failure)
        return dropped(result.failure->text.endsWith(QLatin1Char('.')) ? result.failure->text.chopped(1) : result.failure->text);
    if (!error->isEmpty())
        return dropped(*error);
    if (result.printed == 0)
        return dropped(QStringLiteral("The file %1 has no lines").arg(files::ShownPath(command.batch)));
    const auto hold = services::HoldOffStop();
    if (!(reason = file.WriteError()).isEmpty() || !(reason = file.Flush()).isEmpty() ||
        !(reason = file.Sync()).isEmpty() || !file.ReplaceAs(command.output, reason))
        return dropped(QStringLiteral("Cannot write %1: %2").arg(shown, reason));
    return 0;
}

} // namespace cli
