#include "app/PrintJobs.h"

#include "app/StoredOptions.h"
#include "app/SymbologyTable.h"
#include "platform/MessageBox.h"
#include "platform/Printers.h"
#include "platform/Settings.h"

namespace app {

output::Barcode ListingBarcode(const SymbolRequest& options, const QString& code)
{
    SymbolRequest request = options;
    request.text = code;
    Symbol symbol = GenerateSymbol(request);
    return {std::move(symbol.drawing), std::move(symbol.failure)};
}

namespace {

// A font this large draws characters taller than a page.
constexpr double kMaxFontSize = 400;

// A stored size that would draw a symbol no page holds (and take memory
// and time for nothing): which setting, its value and the limit.
QString SizeProblem(const StoredOptions& stored)
{
    const SymbolRequest r = stored.Request(QString());
    const SymbologyRow& row = RowOf(r.symbology);
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

bool PrintFileUnattended(const QString& path, const QString& printerName, bool strict)
{
    const StoredOptions stored = ReadStoredOptions();
    if (const QString problem = SizeProblem(stored); !problem.isEmpty()) {
        platform::MsgBox(problem + QStringLiteral(" Nothing was printed."));
        return false;
    }
    // The file printed becomes the File Path, as the window's box stores it.
    if (!StoreOption(QStringLiteral("file"), path))
        platform::ShowNotice(QStringLiteral("Your settings could not be saved: %1").arg(platform::SettingsError()));

    QString printer = stored.printer;
    if (!printerName.isEmpty()) {
        const QStringList installed = platform::InstalledPrinters();
        if (!installed.contains(printerName)) {
            platform::MsgBox(QStringLiteral("There is no printer named \"%1\"; nothing was printed. The printers are: %2.")
                                 .arg(printerName, installed.join(QStringLiteral(", "))));
            return false;
        }
        printer = printerName; // for this run; the stored choice stays
    } else if (!printer.isEmpty() && !platform::InstalledPrinters().contains(printer)) {
        // The jobs go to the current printer, as they always have; a script
        // should still learn that they did not go where it was set up to.
        platform::ShowNotice(QStringLiteral("The printer \"%1\" stored in the settings (c1opt) is not installed; "
                                            "printing on \"%2\".")
                                 .arg(printer, platform::CurrentPrinter().DeviceName()));
    }
    if (output::TrimBlanks(path).isEmpty()) {
        platform::MsgBox(output::kSelectAFile);
        return false;
    }
    platform::Printer& current = platform::CurrentPrinter();
    current.SelectByName(printer);
    const SymbolRequest options = stored.Request(QString());
    return output::PrintListing({path, stored.linePattern, stored.keepPattern}, current,
                                [&options, strict](const QString& code) {
                                    output::Barcode barcode = ListingBarcode(options, code);
                                    if (barcode.failure)
                                        return barcode;
                                    barcode.note = HoldsOtherText(options.symbology, code);
                                    if (strict && !barcode.note.isEmpty())
                                        return output::Barcode{{}, platform::Failure{platform::kNotAsTyped, barcode.note}, {}};
                                    return barcode;
                                })
        .AllAsAsked();
}

} // namespace app
