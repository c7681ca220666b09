#include "cli/MergeCommand.h"

#include "cli/LabelCommands.h"
#include "cli/SheetCommands.h"
#include "files/AtomicFile.h"
#include "files/BatchExport.h"
#include "jobs/DataMerge.h"
#include "jobs/LabelJobs.h"
#include "jobs/StoredLayouts.h"
#include "jobs/StoredOptions.h"
#include "labels/LabelExport.h"
#include "printing/LabelRun.h"
#include "printing/SheetLayout.h"
#include "services/Termination.h"

#include <QDate>
#include <QFileInfo>
#include <QLocale>

namespace cli {
namespace {

// The label of the quick form without a layout that gives its size: a
// common address label (Avery L7160's, 63.5 × 38.1 mm).
const QSizeF kQuickLabelMm{63.5, 38.1};
// A label may be this much larger than its cell (a rounding of the sizes).
constexpr double kSlackMm = 0.1;

QString Count(qint64 n) { return QLocale::c().toString(n); }
QString Plural(qint64 n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(Count(n), QLatin1String(n == 1 ? one : many));
}

// Where the labels go, once the command line and the stored options are read.
struct Destination {
    enum Kind { Printer, Pdf, Png } kind = Printer;
    QString printerName; // Printer
    std::unique_ptr<printing::PrintTarget> printer;
    // Sheets of a layout, or a roll: one label a page of one job, the page
    // the label's. None: PNG files, or on an office printer "One label per
    // job", each label a job of its own.
    std::optional<printing::SheetPlacement> sheets;
    bool jobEach = false;
    double dpi = 0; // what the labels are laid out for
};

// The labels of a roll: pages of one label, `pageMm` large.
printing::SheetPlacement Roll(QSizeF pageMm)
{
    printing::SheetLayout layout;
    layout.name = QStringLiteral("a page a label");
    layout.pageMm = pageMm;
    layout.labelMm = pageMm;
    return printing::SheetPlacement{layout, 1, 0, 0};
}

class LabelsRun {
public:
    LabelsRun(const Command& command, const jobs::Unattended& run) : c_(command), run_(run) {}

    int Run();

private:
    int Refused(const QString& why) const
    {
        run_.messages.MsgBox(why + QStringLiteral(" Nothing was printed."));
        return 1;
    }
    core::Status ChooseLayout();
    core::Result<labels::Label> MakeLabel() const;
    core::Status ChooseDestination(QSizeF labelMm);
    QString DryRunText(const jobs::MergeCheck& check) const;
    core::Status Print(const printing::NextLabel& labels);
    core::Result<qint64> WritePngs(const printing::NextLabel& labels) const;

    const Command& c_;
    const jobs::Unattended& run_;
    std::optional<printing::SheetLayout> layout_;
    int start_ = 1;
    jobs::MergePlan plan_;
    Destination to_;
};

core::Status LabelsRun::ChooseLayout()
{
    // Printing takes the window's layout when none is given, as print-range
    // does; a file gets sheets only when asked for.
    const bool printing = c_.output.isEmpty();
    const jobs::StoredOptions stored = jobs::ReadStoredOptions();
    const QString name = c_.layout.isEmpty() && printing ? stored.layout : c_.layout;
    const core::Result<std::optional<printing::SheetLayout>> layout = jobs::FindLayout(name);
    if (layout.failed())
        return layout.failure();
    layout_ = *layout;
    if (!layout_)
        return core::Ok();
    const core::Result<int> start = StartOf(c_, *layout_, printing && c_.layout.isEmpty() ? stored.layoutStart : 1);
    if (start.failed())
        return start.failure();
    start_ = *start;
    return core::Ok();
}

core::Result<labels::Label> LabelsRun::MakeLabel() const
{
    if (!c_.label.isEmpty()) {
        const core::Result<printing::LabelParts> parts = LoadCommandLabel(c_);
        if (parts.failed())
            return parts.failure();
        return parts->label->label;
    }
    const QSizeF size = layout_ ? layout_->labelMm : c_.labelSetup.mediaMm.value_or(kQuickLabelMm);
    return jobs::QuickLabel(c_.barcode, c_.symbology, c_.texts, size);
}

core::Status LabelsRun::ChooseDestination(QSizeF labelMm)
{
    const std::optional<files::ExportFormat> format = files::ExportFormatOf(c_.output);
    if (!c_.output.isEmpty() && format == files::ExportFormat::Png) {
        to_.kind = Destination::Png;
        to_.dpi = c_.dpi;
        return core::Ok();
    }
    if (!c_.output.isEmpty()) {
        to_.kind = Destination::Pdf;
        to_.dpi = run_.printers.pdfGridDpi;
        to_.sheets = layout_ ? printing::SheetPlacement{*layout_, start_, 0, 0} : Roll(labelMm);
        return core::Ok();
    }
    to_.printerName = jobs::UnattendedPrinter(c_.printer, run_);
    if (to_.printerName.isEmpty())
        return core::Failure{core::kPrintFailed, {}}; // said already
    to_.printer = run_.printers.Open(to_.printerName);
    if (layout_) {
        to_.sheets = printing::SheetPlacement{*layout_, start_, 0, 0};
    } else if (run_.printers.OpenLabelPrinter(to_.printerName) || to_.printerName == printing::kPdfPrinterName) {
        // A label printer prints the labels as one job, a label each; a
        // printer that knows its labels' size gets them on that size.
        to_.sheets = Roll(labelMm);
        if (const core::Result<printing::JobPage> page = to_.printer->PageFor(labelMm);
            page.failed() && page.failure().code == core::kWrongSheets) {
            const core::Result<printing::JobPage> own = to_.printer->PageFor(std::nullopt);
            if (own.failed())
                return printing::UnusablePrinter(to_.printerName, own.failure());
            to_.sheets = Roll(own->sheetMm);
        }
    } else {
        to_.jobEach = true;
    }
    const core::Result<printing::JobPage> page =
        to_.printer->PageFor(to_.sheets ? std::optional(to_.sheets->layout.pageMm) : std::nullopt);
    if (page.failed())
        return printing::UnusablePrinter(to_.printerName, page.failure());
    to_.dpi = page->gridDpi;
    return core::Ok();
}

QString LabelsRun::DryRunText(const jobs::MergeCheck& check) const
{
    const jobs::MergeData& data = *plan_.data;
    QStringList lines;
    lines << QStringLiteral("Data: %1, %2 (fields %3)")
                 .arg(data.Name(), Plural(data.Count(), "record", "records"), data.FieldNames().join(QStringLiteral(", ")));
    QString records = QStringLiteral("Records: %1 chosen").arg(Count(check.records));
    if (check.bad > 0)
        records += QStringLiteral(", %1 can't be printed").arg(Count(check.bad));
    lines << records;
    lines << QStringLiteral("Labels: %1").arg(Count(check.labels));
    switch (to_.kind) {
    case Destination::Png:
        lines << QStringLiteral("Output: %1 PNG files like %2, at %3 dpi")
                     .arg(Count(check.labels), files::ShownPath(files::BatchOutputPath(c_.output, 1)))
                     .arg(c_.dpi);
        break;
    case Destination::Pdf: lines << QStringLiteral("Output: %1").arg(files::ShownPath(c_.output)); break;
    case Destination::Printer: {
        lines << QStringLiteral("Printer: %1").arg(to_.printerName);
        if (const core::Result<QString> page = run_.printers.PageSummary(to_.printerName); page.ok() && !page->isEmpty())
            lines << QStringLiteral("Page: %1").arg(*page);
        break;
    }
    }
    if (check.labels > 0 && layout_) {
        lines << jobs::DryRunLayoutLine(*layout_, start_, check.labels);
    } else if (to_.jobEach) {
        lines << QStringLiteral("One label per job: %1").arg(Plural(check.labels, "job", "jobs"));
    } else if (to_.sheets) {
        const QSizeF page = to_.sheets->layout.pageMm;
        lines << QStringLiteral("Label pages: %1 of %2 × %3 mm")
                     .arg(Count(check.labels), QString::number(page.width(), 'g', 6), QString::number(page.height(), 'g', 6));
    }
    lines << QStringLiteral("Nothing was printed (--dry-run).");
    return lines.join(QLatin1Char('\n'));
}

core::Result<qint64> LabelsRun::WritePngs(const printing::NextLabel& labels) const
{
    qint64 written = 0;
    for (std::optional<printing::SheetLabel> label = labels(); label; label = labels()) {
        if (services::TerminationRequested())
            return core::Failure{core::kStopped, QStringLiteral("Stopped after %1.").arg(Plural(written, "file", "files"))};
        if (label->stop.failed())
            return label->stop.failure();
        const QString path = files::BatchOutputPath(c_.output, written + 1);
        if (path.isEmpty())
            return core::Failure{core::kTooManyLines, QStringLiteral("The ~ of %1 count up to %2 labels; there are more.")
                                                          .arg(files::ShownPath(c_.output))
                                                          .arg(written)};
        const core::Result<labels::LaidOutLabel> laid = printing::LayOutParts(*label->parts, to_.dpi);
        if (laid.failed())
            return printing::LabelNotPrinted(label->text, laid.failure());
        if (const core::Status exported = labels::ExportLabel(*laid, path); exported.failed())
            return exported.failure();
        ++written;
    }
    return written;
}

core::Status LabelsRun::Print(const printing::NextLabel& labels)
{
    if (to_.kind == Destination::Png) {
        const core::Result<qint64> written = WritePngs(labels);
        return written.failed() ? core::Status(written.failure()) : core::Ok();
    }
    if (to_.kind == Destination::Pdf) {
        const core::Result<qint64> written = WriteSheetsPdf(c_.output, *to_.sheets, labels, run_.printers);
        if (written.failed())
            return core::Failure{written.failure().code, QStringLiteral("%1 Nothing was written to %2.")
                                                             .arg(written.failure().text, files::ShownPath(c_.output))};
        return core::Ok();
    }
    printing::RunPlacement where{to_.sheets, 0, 0};
    const printing::RunReport report = printing::PrintLabelRun(*to_.printer, where, labels);
    const bool printed = jobs::FinishJobs(report.jobs, c_.wait ? std::optional<int>(c_.waitSeconds) : std::nullopt, run_);
    if (report.status.failed())
        return report.status;
    return printed ? core::Ok() : core::Status(core::Failure{core::kPrintFailed, {}}); // said already
}

int LabelsRun::Run()
{
    if (const core::Status layout = ChooseLayout(); layout.failed())
        return Refused(layout.failure().text);
    core::Result<labels::Label> label = MakeLabel();
    if (label.failed())
        return Refused(label.failure().text);
    if (layout_ && (label->sizeMm.width() > layout_->labelMm.width() + kSlackMm ||
                    label->sizeMm.height() > layout_->labelMm.height() + kSlackMm))
        return Refused(QStringLiteral("The label is %1 × %2 mm, larger than the %3 × %4 mm labels of the layout \"%5\".")
                           .arg(label->sizeMm.width())
                           .arg(label->sizeMm.height())
                           .arg(layout_->labelMm.width())
                           .arg(layout_->labelMm.height())
                           .arg(layout_->name));
    const QSizeF labelMm = label->sizeMm;
    core::Result<labels::PreparedLabel> prepared = labels::PrepareLabel(std::move(*label));
    if (prepared.failed())
        return Refused(prepared.failure().text);
    plan_.label = std::make_shared<const labels::PreparedLabel>(std::move(*prepared));
    plan_.options = c_.merge;
    plan_.options.today = QDate::currentDate();

    // The data is read once, whole, before anything else happens to it.
    const core::Result<std::shared_ptr<const jobs::MergeData>> data = jobs::MergeData::Open(c_.data, c_.dataOptions);
    if (data.failed())
        return Refused(data.failure().text);
    plan_.data = *data;

    if (const core::Status chosen = ChooseDestination(labelMm); chosen.failed())
        return chosen.failure().text.isEmpty() ? 1 : Refused(chosen.failure().text);

    // A job sent whole at its end (sheets, a roll, a PDF) is checked as
    // it is made, each label laid out once, and dropped when a record
    // fails; PNG files and jobs of a label each are checked first.
    const bool onePass = !c_.dryRun && jobs::CheckAsMade(to_.sheets);
    auto check = std::make_shared<jobs::MergeCheck>();
    core::Status printed = core::Ok();
    if (onePass) {
        const core::Result<printing::NextLabel> labels = jobs::CheckingMergeLabels(plan_, to_.dpi, check, c_.skipBad);
        if (labels.failed())
            return Refused(labels.failure().text);
        printed = Print(*labels);
    } else {
        core::Result<jobs::MergeCheck> checked = jobs::CheckMerge(plan_, to_.dpi);
        if (checked.failed())
            return Refused(checked.failure().text);
        *check = std::move(*checked);
    }
    if (check->bad > 0) {
        for (const QString& line : check->Lines()) // a line each, for a script to count
            run_.messages.MsgBox(line);
        const QString bad = QStringLiteral("%1 of %2 can't be printed")
                                .arg(Count(check->bad), Plural(check->records, "record", "records"));
        if (!c_.skipBad && !c_.dryRun)
            return Refused(bad + QStringLiteral("; nothing else is printed either (--skip-bad prints the others)."));
        if (!c_.dryRun && check->labels > 0)
            run_.messages.MsgBox(bad + QStringLiteral(": skipped; the others are printed."));
    }
    if (c_.dryRun) {
        const int said = SayOnStdout(DryRunText(*check));
        return said != 0 ? said : check->bad == 0 ? 0 : c_.skipBad ? kSkippedRecords : 1;
    }
    if (check->labels == 0)
        return Refused(check->records == 0 ? QStringLiteral("%1 has no records to print.").arg(plan_.data->Name())
                       : check->good == 0  ? QStringLiteral("None of the records chosen can be printed.")
                                           : QStringLiteral("No record chosen asks for a label."));
    if (!onePass)
        printed = Print(jobs::MergeLabels(plan_, *check));
    if (printed.failed()) {
        if (!printed.failure().text.isEmpty())
            run_.messages.MsgBox(printed.failure().text);
        return 1;
    }
    return check->bad > 0 ? kSkippedRecords : 0;
}

} // namespace

int RunLabels(const Command& command, const jobs::Unattended& run) { return LabelsRun(command, run).Run(); }

} // namespace cli
