#include "cli/SheetCommands.h"

#include "cli/ExportCommand.h"
#include "cli/LabelCommands.h"
#include "core/Numeric.h"
#include "files/AtomicFile.h"
#include "jobs/LabelJobs.h"
#include "jobs/PrintJobs.h"
#include "jobs/SheetJobs.h"
#include "jobs/StoredLayouts.h"
#include "jobs/StoredOptions.h"
#include "printing/JobFollow.h"
#include "printing/LabelRun.h"
#include "printing/PrintAction.h"
#include "printing/RangePrint.h"
#include "printing/RunProgress.h"
#include "printing/SheetLayout.h"
#include "services/Messages.h"
#include "services/Termination.h"

#include <QFileInfo>

namespace cli {

core::Result<int> StartOf(const Command& command, const printing::SheetLayout& layout, int stored)
{
    if (command.startRow > 0)
        return printing::StartAtRowColumn(layout, command.startRow, command.startColumn);
    return command.start > 0 ? command.start : stored;
}

namespace {

// --start is a place on a sheet: without a sheet layout it would be
// ignored, and the labels printed where the user did not ask.
QString StartWithoutSheets(const Command& command, const std::optional<printing::SheetLayout>& layout)
{
    if (layout || (command.start == 0 && command.startRow == 0))
        return {};
    return QStringLiteral("--start places the first label on a sheet, and no sheet layout is chosen (--layout, or the "
                          "layout stored). Nothing was printed.");
}

} // namespace

std::optional<QString> DryRunRange(const Command& command, const jobs::Unattended& run)
{
    const jobs::StoredOptions stored = jobs::ReadStoredOptions();
    const core::Result<std::optional<printing::SheetLayout>> layout = jobs::LayoutToPrintOn(command.layout);
    if (layout.failed()) {
        run.messages.MsgBox(layout.failure().text);
        return std::nullopt;
    }
    if (const QString ignored = StartWithoutSheets(command, *layout); !ignored.isEmpty()) {
        run.messages.MsgBox(ignored);
        return std::nullopt;
    }
    const std::optional<jobs::DryRunPrinter> printer = jobs::DryRunPrinterLines(command.printer, run);
    if (!printer)
        return std::nullopt;
    const auto range = printing::ReadRange(command.from, command.to);
    // Counted without a sign: the whole 64-bit range holds more labels than
    // a signed number counts.
    const quint64 labels = range && range->HasNext() ? quint64(range->to) - quint64(range->from) : 0;
    QString text = printer->lines;
    if (labels > 0)
        text += QStringLiteral("Labels: %1, %2 to %3\n")
                    .arg(QString::number(labels), printing::LabelText(command.prefix, command.from),
                         labels == 1 ? printing::LabelText(command.prefix, command.from)
                                     : command.prefix + printing::NextFrom(range->to - 2, command.from));
    else
        text += QStringLiteral("Labels: none (From is not below To)\n");
    if (*layout && labels > 0) {
        const core::Result<int> start = StartOf(command, **layout, stored.layoutStart);
        if (start.failed()) {
            run.messages.MsgBox(start.failure().text);
            return std::nullopt;
        }
        const qint64 count = static_cast<qint64>(std::min<quint64>(labels, 1'000'000'000'000'000));
        text += jobs::DryRunLayoutLine(**layout, *start, count) + QLatin1Char('\n');
    }
    return text + QStringLiteral("Nothing was printed (--dry-run).");
}

bool PrintRangeUnattended(const Command& command, const jobs::Unattended& run)
{
    const jobs::StoredOptions stored = jobs::ReadStoredOptions();
    const auto refused = [&run](const QString& why) {
        run.messages.MsgBox(why + QStringLiteral(" Nothing was printed."));
        return false;
    };
    const core::Result<std::optional<printing::SheetLayout>> layout = jobs::LayoutToPrintOn(command.layout);
    const QString unusable = layout.failed() ? layout.failure().text : StartWithoutSheets(command, *layout);
    if (!unusable.isEmpty()) {
        run.messages.MsgBox(unusable);
        return false;
    }
    // A run that prints nothing is no success a script should take for one.
    if (const auto range = printing::ReadRange(command.from, command.to); range && !range->HasNext())
        return refused(printing::EmptyRange(*range, QStringLiteral("--from"), QStringLiteral("--to")));
    // A label file's label, its ${n} the run's number, instead of the
    // barcode PREFIX+N.
    std::optional<printing::LabelParts> parts;
    if (!command.label.isEmpty()) {
        core::Result<printing::LabelParts> loaded = LoadCommandLabel(command);
        if (loaded.failed())
            return refused(loaded.failure().text);
        parts = std::move(*loaded);
    }
    const QString printerName = jobs::UnattendedPrinter(command.printer, run);
    if (printerName.isEmpty())
        return false;
    const std::unique_ptr<printing::PrintTarget> printer = run.printers.Open(printerName);
    symbols::SymbolRequest options = stored.Request(QString());
    if (command.printSize)
        options.printSize = *command.printSize;
    const printing::NextLabel labels =
        parts ? jobs::RangeLabels(*parts, QFileInfo(command.label).fileName(), command.from, command.to)
              : jobs::RangeLabels(command.prefix, command.from, command.to,
                                  [&options](const QString& code) { return jobs::ListingBarcode(options, code); });
    printing::RunPlacement where{std::nullopt, printing::OffsetCm(stored.left), printing::OffsetCm(stored.top), stored.copies};
    if (*layout) {
        const core::Result<int> start = StartOf(command, **layout, stored.layoutStart);
        if (start.failed())
            return refused(start.failure().text);
        where.sheets = printing::SheetPlacement{**layout, *start, where.leftCm, where.topCm};
    }
    const printing::RunReport report = printing::PrintLabelRun(*printer, where, labels);
    if (report.status.failed())
        run.messages.MsgBox(report.status.failure().text);
    const bool printed =
        jobs::FinishJobs(report.jobs, command.wait ? std::optional<int>(command.waitSeconds) : std::nullopt, run);
    return report.status.ok() && printed;
}

core::Result<qint64> WriteSheetsPdf(const QString& output, const printing::SheetPlacement& placement,
                                    const printing::NextLabel& labels, const printing::Printers& printers)
{
    files::AtomicFile file;
    const QString folder = QFileInfo(output).absolutePath();
    files::AtomicFile::RemoveAbandoned(folder, QStringLiteral(".pdf.part"));
    const auto cannotWrite = [&](const core::Failure& why) {
        file.Discard();
        return core::Failure{core::kCannotWrite, QStringLiteral("Cannot write %1: %2.").arg(files::ShownPath(output), why.text)};
    };
    if (const core::Status created = file.Create(folder, QStringLiteral(".pdf.part")); created.failed())
        return cannotWrite(created.failure());
    const std::unique_ptr<printing::PrintTarget> pdf = printers.OpenPdfTo(*file.Device());
    const core::Result<printing::SheetsPrinted> printed = printing::PrintOnSheets(*pdf, placement, labels);
    if (printed.failed()) {
        file.Discard();
        if (printed.failure().code == core::kStopped)
            return core::Failure{core::kStopped, QStringLiteral("Stopped.")};
        return printed.failure();
    }
    if (printed->printed == 0) {
        file.Discard();
        return qint64{0};
    }
    const auto hold = services::HoldOffStop();
    if (const core::Status whole = file.Complete(); whole.failed())
        return cannotWrite(whole.failure());
    if (const core::Status named = file.ReplaceAs(output); named.failed())
        return cannotWrite(named.failure());
    return printed->printed;
}

int ExportSheets(const Command& command, services::MessageSink& messages, const printing::Printers& printers)
{
    const QString shown = files::ShownPath(command.output);
    const auto nothing = [&](const QString& why) {
        messages.MsgBox(QStringLiteral("%1 Nothing was written to %2.").arg(why, shown));
        return 1;
    };
    const core::Result<std::optional<printing::SheetLayout>> layout = jobs::FindLayout(command.layout);
    if (layout.failed())
        return nothing(layout.failure().text);
    if (!*layout)
        return nothing(QStringLiteral("A PDF of sheets needs a sheet layout, not \"%1\".").arg(printing::kOneLabelPerJob));
    const core::Result<int> start = StartOf(command, **layout, 1);
    if (start.failed())
        return nothing(start.failure().text);
    const core::Result<printing::NextLabel> labels = jobs::FileLabels(
        command.batch, QString(), false, [&command](const QString& code) { return ExportBarcode(command, code); });
    if (labels.failed())
        return nothing(labels.failure().text);
    const printing::SheetPlacement placement{**layout, *start, command.leftCm, command.topCm};
    const core::Result<qint64> printed = WriteSheetsPdf(command.output, placement, *labels, printers);
    if (printed.failed())
        return nothing(printed.failure().text);
    if (*printed == 0)
        return nothing(QStringLiteral("The file %1 has no lines.").arg(files::ShownPath(command.batch)));
    return 0;
}

} // namespace cli
