#include "jobs/PrintJobs.h"

#include "jobs/SheetJobs.h"
#include "jobs/StoredLayouts.h"
#include "printing/PrintAction.h"

#include "files/BatchFile.h"
#include "jobs/StoredOptions.h"
#include "printing/JobFollow.h"
#include "printing/Printers.h"
#include "services/MessageBox.h"
#include "services/Settings.h"
#include "symbols/SymbologyTable.h"

namespace jobs {

printing::Barcode ListingBarcode(const symbols::SymbolRequest& options, const QString& code)
{
    symbols::SymbolRequest request = options;
    request.text = code;
    symbols::Symbol symbol = symbols::GenerateSymbol(request);
    return {std::move(symbol.drawing), std::move(symbol.failure)};
}

void ShowListingMessage(const printing::ListingMessage& message)
{
    if (message.logOnly)
        services::ReportFailure(message.failure.text);
    else
        services::MsgBox(message.failure.text);
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

QString UnattendedPrinter(const QString& printerName)
{
    const QString stored = ReadStoredOptions().printer;
    if (!printerName.isEmpty()) {
        if (!printing::IsKnownPrinter(printerName)) {
            services::MsgBox(QStringLiteral("There is no printer named \"%1\"; nothing was printed. The printers are: %2.")
                                 .arg(printerName, printing::InstalledPrinters().join(QStringLiteral(", "))));
            return {};
        }
        return printerName; // for this run; the stored choice stays
    }
    if (!stored.isEmpty() && !printing::IsKnownPrinter(stored)) {
        // The jobs go to the current printer, as they always have; a script
        // should still learn that they did not go where it was set up to.
        services::ShowNotice(QStringLiteral("The printer \"%1\" stored in the settings (c1opt) is not installed; "
                                            "printing on \"%2\".")
                                 .arg(stored, printing::CurrentPrinter().DeviceName()));
        return printing::CurrentPrinter().DeviceName();
    }
    return stored.isEmpty() ? printing::CurrentPrinter().DeviceName() : stored;
}

namespace {

// With a sheet layout stored, the file prints as the window's Print File
// prints it then: every code line's barcode on a label of its own, one
// job of sheets. A barcode that holds another text than its code is
// named on stderr, as a listing names it.
bool PrintFileOnSheets(const QString& path, const StoredOptions& stored, const printing::SheetLayout& sheet,
                       printing::Printer& printer, const printing::BarcodeMaker& barcodeFor)
{
    auto error = std::make_shared<QString>();
    const printing::NextLabel labels = FileLabels(path, stored.linePattern, stored.keepPattern,
                                                [&barcodeFor](const QString& code) {
                                                    printing::Barcode barcode = barcodeFor(code);
                                                    if (!barcode.note.isEmpty())
                                                        services::ReportFailure(barcode.note);
                                                    return barcode;
                                                },
                                                error);
    if (!error->isEmpty()) {
        services::MsgBox(*error);
        return false;
    }
    const printing::SheetResult result = printing::PrintOnSheets(
        printer, {sheet, stored.layoutStart, printing::OffsetCm(stored.left), printing::OffsetCm(stored.top)}, labels);
    if (result.failure)
        services::MsgBox(result.failure->text);
    else if (result.printed == 0 && !result.stopped)
        services::MsgBox(QStringLiteral("Nothing was printed: the file %1 has no code lines.").arg(path));
    return result.printed > 0;
}

} // namespace

bool PrintFileUnattended(const QString& path, const UnattendedPrint& how)
{
    const StoredOptions stored = ReadStoredOptions();
    if (const QString problem = SizeProblem(stored); !problem.isEmpty()) {
        services::MsgBox(problem + QStringLiteral(" Nothing was printed."));
        return false;
    }
    // The file printed becomes the File Path, as the window's box stores it.
    if (!StoreOption(QStringLiteral("file"), path))
        services::ShowNotice(QStringLiteral("Your settings could not be saved: %1").arg(services::SettingsError()));

    const QString printer = UnattendedPrinter(how.printer);
    if (printer.isEmpty())
        return false;
    if (printing::TrimBlanks(path).isEmpty()) {
        services::MsgBox(printing::kSelectAFile);
        return false;
    }
    printing::Printer& current = printing::CurrentPrinter();
    current.SelectByName(printer);
    const symbols::SymbolRequest options = stored.Request(QString());
    const bool strict = how.strict;
    const auto barcodeFor = [&options, strict](const QString& code) {
        printing::Barcode barcode = ListingBarcode(options, code);
        if (barcode.failure)
            return barcode;
        barcode.note = symbols::HoldsOtherText(options.symbology, code);
        if (strict && !barcode.note.isEmpty())
            return printing::Barcode{{}, core::Failure{core::kNotAsTyped, barcode.note}, {}};
        return barcode;
    };
    const std::optional<printing::SheetLayout> sheet = FindLayout(stored.layout).sheet;
    const bool asAsked = sheet ? PrintFileOnSheets(path, stored, *sheet, current, barcodeFor)
                               : printing::PrintListing({path, stored.linePattern, stored.keepPattern}, current,
                                                      barcodeFor, ShowListingMessage)
                                     .AllAsAsked();
    std::optional<printing::CupsJob> job = current.LastJob();
    if (!job || !how.wait)
        return asAsked;
    // A job CUPS took may still never print (a paused queue, a backend
    // that fails): the run is done only when it has printed.
    const core::MaybeFailure failed = printing::WaitForJob(*job, how.waitSeconds);
    printing::ForgetJob(*job);
    if (failed)
        services::MsgBox(failed->text);
    return asAsked && !failed;
}

std::optional<QString> DryRun(const QString& path, const QString& printerName)
{
    const QString printer = UnattendedPrinter(printerName);
    if (printer.isEmpty())
        return std::nullopt;
    QString error;
    const QString page = printing::PageSummary(printer, error);
    if (!error.isEmpty()) {
        services::MsgBox(QStringLiteral("The printer \"%1\" can't be used: %2").arg(printer, error));
        return std::nullopt;
    }
    QString text = QStringLiteral("Printer: %1\n").arg(printer);
    if (!page.isEmpty())
        text += QStringLiteral("Page: %1\n").arg(page);
    if (!path.trimmed().isEmpty()) {
        const StoredOptions stored = ReadStoredOptions();
        files::BatchFileReader reader;
        if (!reader.Open(path)) {
            services::MsgBox(reader.Error());
            return std::nullopt;
        }
        qint64 lines = 0, codes = 0;
        for (QString line; reader.ReadLine(line); ++lines)
            codes += printing::CodeOfLine(line, stored.linePattern, stored.keepPattern).has_value();
        if (!reader.Error().isEmpty()) {
            services::MsgBox(reader.Error());
            return std::nullopt;
        }
        text += QStringLiteral("File: %1, %2 lines, %3 with a barcode\n").arg(path).arg(lines).arg(codes);
        if (const std::optional<printing::SheetLayout> sheet = FindLayout(stored.layout).sheet) {
            const int sheets = codes == 0 ? 0 : printing::CellOfLabel(*sheet, stored.layoutStart, codes - 1).sheet + 1;
            text += QStringLiteral("Layout: %1, from label %2: %3 %4\n")
                        .arg(sheet->name)
                        .arg(stored.layoutStart)
                        .arg(sheets)
                        .arg(sheets == 1 ? QStringLiteral("sheet") : QStringLiteral("sheets"));
        }
    }
    return text + QStringLiteral("Nothing was printed (--dry-run).");
}

} // namespace jobs
