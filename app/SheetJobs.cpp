#include "app/SheetJobs.h"

#include "app/ExportCommand.h"
#include "app/PrintJobs.h"
#include "app/StoredLayouts.h"
#include "app/StoredOptions.h"
#include "output/BatchFile.h"
#include "output/Export.h"
#include "output/JobFollow.h"
#include "output/PrintAction.h"
#include "output/RangePrint.h"
#include "platform/AtomicFile.h"
#include "platform/LocalPath.h"
#include "platform/MessageBox.h"
#include "platform/Termination.h"

#include <QFileInfo>
#include <QStringList>

namespace app {

QString LayoutList()
{
    QStringList lines;
    for (const output::SheetLayout& layout : AllLayouts())
        lines << output::DescribeLayout(layout);
    return lines.join(QLatin1Char('\n'));
}

output::NextLabel RangeLabels(const QString& prefix, const QString& from, const QString& to,
                              const output::BarcodeMaker& barcodeFor)
{
    std::optional<output::RangeBounds> range = output::ReadRange(from, to);
    return [=, next = from]() mutable -> std::optional<output::SheetLabel> {
        if (!range || !range->HasNext() || !range->CanStep())
            return std::nullopt;
        const QString label = output::LabelText(prefix, next);
        next = output::NextFrom(range->from);
        range->from += 1;
        return output::SheetLabel{label, barcodeFor(label), std::nullopt};
    };
}

output::NextLabel FileLabels(const QString& path, const QString& pattern, bool keepPattern,
                             const output::BarcodeMaker& barcodeFor, std::shared_ptr<QString> error)
{
    auto reader = std::make_shared<output::BatchFileReader>();
    if (!reader->Open(path)) {
        *error = QStringLiteral("The file %1 can't be opened: %2").arg(path, reader->Error());
        return [] { return std::optional<output::SheetLabel>(); };
    }
    return [=]() -> std::optional<output::SheetLabel> {
        QString line;
        while (reader->ReadLine(line)) {
            const std::optional<QString> code = output::CodeOfLine(line, pattern, keepPattern);
            if (code && !code->isEmpty())
                return output::SheetLabel{*code, barcodeFor(*code), std::nullopt};
        }
        if (reader->Error().isEmpty())
            return std::nullopt;
        *error = QStringLiteral("The file %1 can't be read: %2").arg(path, reader->Error());
        return output::SheetLabel{{}, {}, platform::Failure{output::ExportCode::CannotRead, *error}};
    };
}

namespace {

// Follows the CUPS jobs a run sent until each has printed; false, with
// the reason shown, for one that did not.
bool JobsPrinted(std::vector<platform::CupsJob>& jobs, int seconds)
{
    bool printed = true;
    for (platform::CupsJob& job : jobs) {
        if (printed)
            if (const platform::MaybeFailure failed = output::WaitForJob(job, seconds)) {
                platform::MsgBox(failed->text);
                printed = false;
            }
        platform::ForgetJob(job);
    }
    return printed;
}

// The start position the command line asks for on the layout (by number
// or by row and column), else `stored`.
output::StartPosition StartOf(const Command& command, const output::SheetLayout& layout, int stored)
{
    if (command.startRow > 0)
        return output::StartAtRowColumn(layout, command.startRow, command.startColumn);
    return output::StartPosition{command.start > 0 ? command.start : stored, std::nullopt};
}

} // namespace

bool PrintRangeUnattended(const Command& command)
{
    const StoredOptions stored = ReadStoredOptions();
    const LayoutChoice layout = FindLayout(command.layout.isEmpty() ? stored.layout : command.layout);
    if (layout.failure) {
        platform::MsgBox(layout.failure->text + QStringLiteral(" Nothing was printed."));
        return false;
    }
    if (const auto range = output::ReadRange(command.from, command.to); range && !range->CanStep()) {
        platform::MsgBox(output::kRangeTooLarge);
        return false;
    }
    const QString printerName = UnattendedPrinter(command.printer);
    if (printerName.isEmpty())
        return false;
    platform::Printer& printer = platform::CurrentPrinter();
    printer.SelectByName(printerName);
    const SymbolRequest options = stored.Request(QString());
    const output::NextLabel labels = RangeLabels(command.prefix, command.from, command.to,
                                                 [&options](const QString& code) { return ListingBarcode(options, code); });
    const double left = output::OffsetCm(stored.left), top = output::OffsetCm(stored.top);
    std::vector<platform::CupsJob> jobs;
    bool asAsked = true;
    if (layout.sheet) {
        const output::StartPosition start = StartOf(command, *layout.sheet, stored.layoutStart);
        if (start.failure) {
            platform::MsgBox(start.failure->text + QStringLiteral(" Nothing was printed."));
            return false;
        }
        const output::SheetPlacement placement{*layout.sheet, start.label, left, top};
        const output::SheetResult result = output::PrintOnSheets(printer, placement, labels);
        if (result.failure)
            platform::MsgBox(result.failure->text);
        if (result.printed > 0 && printer.LastJob())
            jobs.push_back(*printer.LastJob());
        asAsked = result.printed > 0 || (!result.failure && !result.stopped);
    } else {
        // One job per label, as Run It prints on single labels.
        for (std::optional<output::SheetLabel> label = labels(); label && !platform::TerminationRequested(); label = labels()) {
            const platform::MaybeFailure failed =
                label->barcode.failure
                    ? platform::Failure{label->barcode.failure->code,
                                        QStringLiteral("There is no barcode to print for the label \"%1\": %2")
                                            .arg(label->text, label->barcode.failure->text)}
                    : output::PrintDrawingAt(printer, label->barcode.drawing, left, top);
            if (failed) {
                platform::MsgBox(failed->text);
                asAsked = false;
                break;
            }
            if (printer.LastJob())
                jobs.push_back(*printer.LastJob());
        }
        asAsked = asAsked && !platform::TerminationRequested();
    }
    const bool printed = command.wait ? JobsPrinted(jobs, command.waitSeconds) : true;
    if (!command.wait)
        for (platform::CupsJob& job : jobs)
            platform::ForgetJob(job);
    return asAsked && printed;
}

int ExportSheets(const Command& command)
{
    const QString shown = platform::ShownPath(command.output);
    const auto nothing = [&](const QString& why) {
        platform::MsgBox(QStringLiteral("%1; nothing was written to %2.").arg(why, shown));
        return 1;
    };
    const LayoutChoice layout = FindLayout(command.layout);
    if (layout.failure)
        return nothing(layout.failure->text.chopped(1));
    if (!layout.sheet)
        return nothing(QStringLiteral("A PDF of sheets needs a sheet layout, not \"%1\"").arg(output::kOneLabelPerJob));
    const output::StartPosition start = StartOf(command, *layout.sheet, 1);
    if (start.failure)
        return nothing(start.failure->text.chopped(1));
    auto error = std::make_shared<QString>();
    const output::NextLabel labels = FileLabels(command.batch, QString(), false,
                                                [&command](const QString& code) {
                                                    const SymbolFile file = DrawForFile(ExportRequest(command, code),
                                                                                        command.verify, command.strict);
                                                    return output::Barcode{file.drawing, file.failure, file.note};
                                                },
                                                error);
    if (!error->isEmpty())
        return nothing(*error);
    platform::AtomicFile file;
    QString reason;
    const QString folder = QFileInfo(command.output).absolutePath();
    platform::AtomicFile::RemoveAbandoned(folder, QStringLiteral(".pdf.part"));
    if (!file.Create(folder, QStringLiteral(".pdf.part"), reason))
        return nothing(QStringLiteral("Cannot write %1: %2").arg(shown, reason));
    platform::Printer pdf;
    pdf.SelectByName(platform::kPdfPrinterName);
    pdf.WriteNextPdfTo(file.Device());
    const output::SheetPlacement placement{*layout.sheet, start.label, command.leftCm, command.topCm};
    const output::SheetResult result = output::PrintOnSheets(pdf, placement, labels);
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
        return dropped(QStringLiteral("The file %1 has no lines").arg(platform::ShownPath(command.batch)));
    const auto hold = platform::HoldOffStop();
    if (!(reason = file.WriteError()).isEmpty() || !(reason = file.Flush()).isEmpty() ||
        !(reason = file.Sync()).isEmpty() || !file.ReplaceAs(command.output, reason))
        return dropped(QStringLiteral("Cannot write %1: %2").arg(shown, reason));
    return 0;
}

} // namespace app
