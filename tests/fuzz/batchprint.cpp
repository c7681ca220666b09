// The listing loop on arbitrary files with a printer that works, one that
// refuses the job, and one whose output can't be written (/dev/full):
// the loop ends, says why whenever it fails, tells why whenever a line is
// not printed as asked and tells nothing when all printed, and leaves no
// job open.
#include "printing/BatchPrint.h"
#include "printing/Printers.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

class FlakyPrinters : public printing::PrinterCatalog {
public:
    QStringList DeviceNames() const override { return {QStringLiteral("Good"), QStringLiteral("Refuses"), QStringLiteral("Full")}; }
    QString DefaultDeviceName() const override { return QStringLiteral("Good"); }
    core::Status Configure(QPrinter& printer, const QString& deviceName) const override
    {
        if (deviceName == QLatin1String("Refuses"))
            return core::Failure{core::kPrintFailed, QStringLiteral("the printer is offline")};
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(deviceName == QLatin1String("Full") ? QStringLiteral("/dev/full") : out.filePath(QStringLiteral("job.pdf")));
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        return core::Ok();
    }

private:
    QTemporaryDir out;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FlakyPrinters printers;
    static QTemporaryDir dir;
    printing::Printers installed;
    installed.catalog = &printers;

    fuzzsupport::Reader in(data, size);
    const QStringList names = printers.DeviceNames();
    const QString printer = names[in.Byte() % names.size()];
    const QString pattern = in.Text(3);
    const bool keep = in.Byte() & 1;
    const int width = in.Byte(), height = in.Byte(); // 0: the maker returns an empty drawing
    const QString path = dir.filePath(QStringLiteral("batch.txt"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(in.RestBytes());
    }

    const std::unique_ptr<printing::PrintTarget> current = installed.Open(printer);
    qsizetype told = 0; // what the window would show as a message
    const core::Result<printing::Listing> listing = printing::PrintListing(
        {path, pattern, keep, {}}, *current,
        [&](const QString&) {
            printing::Barcode barcode;
            barcode.drawing.size = QSize(width, height);
            barcode.drawing.AddFill(QRect(0, 0, width, height), graphics::kBlack);
            return barcode;
        },
        [&told](const printing::ListingMessage& m) { told += !m.logOnly; });
    if (listing.failed() && listing.failure().text.isEmpty())
        __builtin_trap(); // a failure without a reason
    if (listing.ok() && (listing->linesNotAsAsked == 0) != (told == 0))
        __builtin_trap(); // lines not as asked without a reason, or a reason for a success
    const core::Result<printing::JobDone> open = current->End();
    if (open.failed() || !open->pdfPath.isEmpty() || open->cupsJob)
        __builtin_trap(); // the job was left open
    return 0;
}
