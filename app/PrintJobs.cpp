#include "app/PrintJobs.h"

#include "app/StoredOptions.h"
#include "platform/MessageBox.h"
#include "platform/Printers.h"
#include "platform/Settings.h"

namespace app {

output::Barcode ListingBarcode(const SymbolRequest& options, const QString& code)
{
    SymbolRequest request = options;
    request.text = code;
    Symbol symbol = GenerateSymbol(request);
    if (symbol.failure && !symbol.failure->inPicture)
        platform::MsgBox(symbol.failure->text);
    return {std::move(symbol.drawing), std::move(symbol.failure)};
}

bool PrintFileUnattended(const QString& path, const QString& printerName)
{
    const StoredOptions stored = ReadStoredOptions();
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
    }
    if (output::TrimBlanks(path).isEmpty()) {
        platform::MsgBox(output::kSelectAFile);
        return false;
    }
    platform::Printer& current = platform::CurrentPrinter();
    current.SelectByName(printer);
    const SymbolRequest options = stored.Request(QString());
    return output::PrintListing({path, stored.linePattern, stored.keepPattern}, current,
                                [&options](const QString& code) { return ListingBarcode(options, code); })
        .AllAsAsked();
}

} // namespace app
