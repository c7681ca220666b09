#include "jobs/PrintJobs.h"

#include "files/BatchFile.h"
#include "jobs/SheetJobs.h"
#include "jobs/StoredLayouts.h"
#include "jobs/StoredOptions.h"
#include "printing/JobFollow.h"
#include "printing/LabelRun.h"
#include "printing/PrintAction.h"
#include "services/Settings.h"
#include "symbols/SymbologyTable.h"

#include <QBuffer>
#include <QFileInfo>
#include <QLocale>

namespace jobs {

printing::Barcode ListingBarcode(const symbols::SymbolRequest& options, const QString& code)
{
    symbols::SymbolRequest request = options;
    request.text = code;
    symbols::Symbol symbol = symbols::GenerateSymbol(request);
    return {std::move(symbol.drawing), std::move(symbol.status), {}};
}

void ShowListingMessage(const printing::ListingMessage& message, services::MessageSink& messages)
{
    if (message.logOnly)
        messages.ReportFailure(message.failure.text);
    else
        messages.MsgBox(message.failure.text);
}

namespace {

// A font this large draws characters taller than a page.
constexpr double kMaxFontSize = 400;

// A stored size that would draw a symbol no page holds (and take memory
// and time for nothing): which setting, its value and the limit.
QString SizeProblem(const StoredOptions& stored)
{
    const symbols::SymbolRequest r = stored.Request(QString());
    const symbols::SymbologyRow& row = symbols::RowOf(r.symbology);
    const QString caption = QString::fromUtf8(row.caption);
    const bool swapped = row.sizeBoxesSwapped; // the height box holds the font size
    if (row.maxHeightFactor > 0 && r.heightFactor && *r.heightFactor > row.maxHeightFactor)
        return QStringLiteral("The setting text8 (Height) is %1: a %2 barcode that high does not fit on a page; "
                              "at most %3.")
            .arg(stored.text8, caption)
            .arg(row.maxHeightFactor);
    if (r.fontSize && *r.fontSize > kMaxFontSize)
        return QStringLiteral("The setting %1 (Font Size) is %2: text that large does not fit on a page; at most %3.")
            .arg(swapped ? QStringLiteral("text8") : QStringLiteral("font"), swapped ? stored.text8 : stored.font)
            .arg(kMaxFontSize);
    return {};
}

} // namespace

QString UnattendedPrinter(const QString& printerName, const Unattended& run)
{
    const QString stored = ReadStoredOptions().printer;
    if (!printerName.isEmpty()) {
        if (!run.printers.IsKnown(printerName)) {
            run.messages.MsgBox(QStringLiteral("There is no printer named \"%1\"; nothing was printed. The printers are: %2.")
                                    .arg(printerName, run.printers.Installed().join(QStringLiteral(", "))));
            return {};
        }
        return printerName; // for this run; the stored choice stays
    }
    if (!stored.isEmpty() && !run.printers.IsKnown(stored)) {
        // Labels printed on another printer than a script was set up for
        // are no success: --printer names another for this run.
        QString why = run.printers.ServerProblem();
        why = why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why);
        run.messages.MsgBox(QStringLiteral("The printer \"%1\" stored in the settings (c1opt) is not installed%2. "
                                           "Nothing was printed; --printer names another printer for this run.")
                                .arg(stored, why));
        return {};
    }
    return stored.isEmpty() ? run.printers.Default() : stored;
}

bool FinishJobs(const std::vector<printing::JobDone>& jobs, std::optional<int> waitSeconds, const Unattended& run)
{
    for (const printing::JobDone& done : jobs)
        if (!done.pdfPath.isEmpty() && run.pdfWritten)
            run.pdfWritten(done.pdfPath);
    bool printed = true;
    for (const printing::JobDone& done : jobs) {
        std::optional<printing::CupsJob> job = done.cupsJob;
        if (!job)
            continue;
        // A job CUPS took may still never print (a paused queue, a backend
        // that fails): the run is done only when it has printed.
        if (printed && waitSeconds)
            if (const core::Status waited = printing::WaitForJob(*job, *waitSeconds); waited.failed()) {
                run.messages.MsgBox(waited.failure().text);
                printed = false;
            }
        printing::ForgetJob(*job);
    }
    return printed;
}

namespace {

// With a sheet layout stored, the file prints as the window's Print File
// prints it then: every code line's barcode on a label of its own, one
// job of sheets. A barcode that holds another text than its code is
// named on stderr, as a listing names it.
std::optional<printing::JobDone> PrintFileOnSheets(const QString& path, const StoredOptions& stored,
                                                   const printing::SheetLayout& sheet, printing::PrintTarget& printer,
                                                   const printing::BarcodeMaker& barcodeFor, const Unattended& run)
{
    core::Result<printing::NextLabel> labels =
        FileLabels(path, stored.linePattern, stored.keepPattern, [&](const QString& code) {
            printing::Barcode barcode = barcodeFor(code);
            if (!barcode.note.isEmpty())
                run.messages.ReportFailure(barcode.note);
            return barcode;
        });
    if (labels.failed()) {
        run.messages.MsgBox(labels.failure().text);
        return std::nullopt;
    }
    const printing::SheetPlacement placement{sheet, stored.layoutStart, printing::OffsetCm(stored.left),
                                             printing::OffsetCm(stored.top)};
    core::Result<printing::SheetsPrinted> printed = printing::PrintOnSheets(printer, placement, *labels);
    if (printed.failed()) {
        if (printed.failure().code != core::kStopped)
            run.messages.MsgBox(printed.failure().text);
        return std::nullopt;
    }
    if (printed->printed == 0) {
        run.messages.MsgBox(QStringLiteral("Nothing was printed: the file %1 has no code lines.").arg(path));
        return std::nullopt;
    }
    return printed->done;
}

} // namespace

namespace {

// A file printed on the printer as the stored options say: on sheets when
// a layout is chosen, else as a listing. The job, or nothing when none went
// out (the reason shown); `asAsked` is false when lines did not print as
// asked.
std::optional<printing::JobDone> PrintFileOn(const QString& path, const StoredOptions& stored, bool strict,
                                             printing::PrintTarget& printer, const Unattended& run, bool& asAsked,
                                             std::optional<graphics::PrintSize> printSize = std::nullopt)
{
    symbols::SymbolRequest options = stored.Request(QString());
    if (printSize)
        options.printSize = *printSize;
    const auto barcodeFor = [&options, strict](const QString& code) {
        printing::Barcode barcode = ListingBarcode(options, code);
        if (barcode.status.failed())
            return barcode;
        barcode.note = symbols::HoldsOtherText(options.symbology, code);
        if (strict && !barcode.note.isEmpty())
            return printing::Barcode{{}, core::Failure{core::kNotAsTyped, barcode.note}, {}};
        return barcode;
    };
    asAsked = false;
    if (const std::optional<printing::SheetLayout> sheet = ChosenLayout(stored.layout)) {
        std::optional<printing::JobDone> done = PrintFileOnSheets(path, stored, *sheet, printer, barcodeFor, run);
        asAsked = done.has_value();
        return done;
    }
    core::Result<printing::Listing> listing = printing::PrintListing(
        {path, stored.linePattern, stored.keepPattern}, printer, barcodeFor,
        [&run](const printing::ListingMessage& m) { ShowListingMessage(m, run.messages); });
    if (listing.failed()) {
        run.messages.MsgBox(listing.failure().text);
        return std::nullopt;
    }
    asAsked = listing->linesNotAsAsked == 0;
    return listing->done;
}

QString Count(qint64 n) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(n); }

} // namespace

bool PrintFileUnattended(const QString& path, const UnattendedPrint& how, const Unattended& run)
{
    const StoredOptions stored = ReadStoredOptions();
    if (const QString problem = SizeProblem(stored); !problem.isEmpty()) {
        run.messages.MsgBox(problem + QStringLiteral(" Nothing was printed."));
        return false;
    }
    if (const auto layout = LayoutToPrintOn(); layout.failed()) {
        run.messages.MsgBox(layout.failure().text);
        return false;
    }
    // The file printed becomes the File Path, as the window's box stores it.
    // Stored whole: the window that reads it back runs in another folder.
    const QString whole = printing::TrimBlanks(path).isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    if (const core::Status saved = StoreOption(QStringLiteral("file"), whole); saved.failed())
        run.messages.ShowNotice(QStringLiteral("Your settings could not be saved: %1").arg(saved.failure().text));

    const QString printerName = UnattendedPrinter(how.printer, run);
    if (printerName.isEmpty())
        return false;
    if (printing::TrimBlanks(path).isEmpty()) {
        run.messages.MsgBox(printing::kSelectAFile);
        return false;
    }
    const std::unique_ptr<printing::PrintTarget> printer = run.printers.Open(printerName);
    bool asAsked = false;
    const std::optional<printing::JobDone> done = PrintFileOn(path, stored, how.strict, *printer, run, asAsked, how.printSize);
    if (!done)
        return false;
    const bool printed = FinishJobs({*done}, how.wait ? std::optional<int>(how.waitSeconds) : std::nullopt, run);
    return printed && asAsked;
}

std::optional<DryRunPrinter> DryRunPrinterLines(const QString& printerName, const Unattended& run)
{
    DryRunPrinter printer{UnattendedPrinter(printerName, run), {}};
    if (printer.name.isEmpty())
        return std::nullopt;
    const core::Result<QString> page = run.printers.PageSummary(printer.name);
    if (page.failed()) {
        run.messages.MsgBox(printing::UnusablePrinter(printer.name, page.failure()).text);
        return std::nullopt;
    }
    printer.lines = QStringLiteral("Printer: %1\n").arg(printer.name);
    if (!page->isEmpty())
        printer.lines += QStringLiteral("Page: %1\n").arg(*page);
    return printer;
}

QString DryRunLayoutLine(const printing::SheetLayout& layout, int start, qint64 labels)
{
    const int sheets = labels <= 0 ? 0 : printing::CellOfLabel(layout, start, labels - 1).sheet + 1;
    return QStringLiteral("Layout: %1, from label %2: %3 %4")
        .arg(layout.name)
        .arg(start)
        .arg(sheets)
        .arg(sheets == 1 ? QStringLiteral("sheet") : QStringLiteral("sheets"));
}

std::optional<QString> DryRun(const QString& path, const QString& printerName, const Unattended& run)
{
    if (const auto layout = LayoutToPrintOn(); layout.failed()) {
        run.messages.MsgBox(layout.failure().text);
        return std::nullopt;
    }
    const std::optional<DryRunPrinter> printerLines = DryRunPrinterLines(printerName, run);
    if (!printerLines)
        return std::nullopt;
    const QString& printer = printerLines->name;
    QString text = printerLines->lines;
    // A label printer: its language, and its label in dots and where that
    // size came from.
    const std::unique_ptr<printing::LabelPrinter> label = run.printers.OpenLabelPrinter(printer);
    if (label) {
        // On sheets when a layout is chosen: a printer that knows no label
        // size of its own takes the sheet's.
        const std::optional<printing::SheetLayout> sheet = ChosenLayout(ReadStoredOptions().layout);
        const core::Result<printing::LabelPrinter::Label> l =
            label->LabelFor(sheet ? std::optional<QSizeF>(sheet->pageMm) : std::nullopt);
        if (l.failed()) {
            run.messages.MsgBox(printing::UnusablePrinter(printer, l.failure()).text);
            return std::nullopt;
        }
        const QSize dots = l->Dots();
        text += QStringLiteral("Language: %1\n").arg(files::LabelLanguageTitle(label->Language()));
        text += QStringLiteral("Label: %1, %2 × %3 dots at %4 dpi, from %5\n")
                    .arg(printing::MediaText(l->sizeMm))
                    .arg(dots.width())
                    .arg(dots.height())
                    .arg(l->dpi)
                    .arg(printing::LabelSizeFromText(l->from));
    }
    if (!path.trimmed().isEmpty()) {
        const StoredOptions stored = ReadStoredOptions();
        files::BatchFileReader reader;
        if (const core::Status opened = reader.Open(path); opened.failed()) {
            run.messages.MsgBox(opened.failure().text);
            return std::nullopt;
        }
        qint64 lines = 0, codes = 0;
        for (QString line; reader.ReadLine(line); ++lines)
            codes += printing::CodeOfLine(line, stored.linePattern, stored.keepPattern).has_value();
        if (const core::Status read = reader.Outcome(); read.failed()) {
            run.messages.MsgBox(read.failure().text);
            return std::nullopt;
        }
        text += QStringLiteral("File: %1, %2 lines, %3 with a barcode\n").arg(path).arg(lines).arg(codes);
        // What a label printer would get is counted by making it: the job
        // written to memory instead of the printer.
        if (label && codes > 0) {
            QBuffer memory;
            memory.open(QIODevice::WriteOnly);
            bool asAsked = false;
            const std::optional<printing::JobDone> made =
                PrintFileOn(path, stored, false, *label->WritingTo(memory), run, asAsked);
            if (!made)
                return std::nullopt;
            text += QStringLiteral("Labels: %1, %2 bytes in %3 (%4 bytes a label)\n")
                        .arg(Count(made->labels), Count(made->bytes), files::LabelLanguageTitle(label->Language()),
                             Count(made->labels > 0 ? made->bytes / made->labels : 0));
        }
        if (const std::optional<printing::SheetLayout> sheet = ChosenLayout(stored.layout))
            text += DryRunLayoutLine(*sheet, stored.layoutStart, codes) + QLatin1Char('\n');
    }
    return text + QStringLiteral("Nothing was printed (--dry-run).");
}

} // namespace jobs
