#include "printing/Printers.h"

#include "printing/CupsPrinter.h"
#include "printing/CupsQueue.h"
#include "printing/PdfPrinter.h"
#include "printing/QtPrinter.h"
#include "printing/SocketPrinter.h"
#include "services/HomeFolder.h"
#include "services/LocalPath.h"

#include <QDir>
#include <QLocale>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace printing {
namespace {

// Qt's view of the system's printers: CUPS on Linux, the spooler on Windows.
// Jobs for CUPS queues go through libcups (CupsPrinter); only the spooler's
// are printed by Qt.
class SystemCatalog : public PrinterCatalog {
public:
    QStringList DeviceNames() const override { return QPrinterInfo::availablePrinterNames(); }
    QString DefaultDeviceName() const override { return QPrinterInfo::defaultPrinterName(); }
    core::Status Configure(QPrinter& printer, const QString& deviceName) const override
    {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(deviceName);
        if (!printer.isValid() || printer.printerName() != deviceName)
            return core::Failure{core::kPrintFailed, QStringLiteral("the printer is no longer installed")};
        return core::Ok();
    }
    bool ThroughCups() const override { return CupsBuilt(); }
};

} // namespace

core::Failure UnusablePrinter(const QString& name, const core::Failure& why)
{
    return core::Failure{core::kPrintFailed, QStringLiteral("The printer \"%1\" can't be used: %2").arg(name, why.text)};
}

const PrinterCatalog& SystemPrinters()
{
    static const SystemCatalog catalog;
    return catalog;
}

QString PdfFolder()
{
    const QString over = services::EnvironmentPath("QUORVANE_PDF_DIR"); // by its bytes, as a file name
    if (!over.isEmpty())
        return over;
    // Without a home folder the documents folder would be /Documents.
    const services::Folder home = services::HomeFolder();
    if (home.path.isEmpty())
        return {};
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Qt reads HOME with bytes that are not UTF-8 made U+FFFD: the folder
    // it names under the home folder is put back under the real one.
    const QString qtHome = QDir::homePath();
    if (docs.isEmpty())
        docs = home.path;
    else if (qtHome != home.path && (docs == qtHome || docs.startsWith(qtHome + QLatin1Char('/'))))
        docs = home.path + docs.mid(qtHome.size());
    return QDir(docs).filePath(QStringLiteral("Quorvane"));
}

void Printers::SetPdfGridDpi(double dpi)
{
    if (dpi >= kMinPdfDpi && dpi <= kMaxPdfDpi)
        pdfGridDpi = dpi;
}

QStringList Printers::Installed() const
{
    QStringList names = catalog->DeviceNames();
    names.append(kPdfPrinterName);
    return names;
}

QString Printers::Default() const
{
    const QString def = catalog->DefaultDeviceName();
    return !def.isEmpty() && catalog->DeviceNames().contains(def) ? def : kPdfPrinterName;
}

bool Printers::IsKnown(const QString& name) const
{
    return IsSocketUri(name) || (IsQueueUri(name) && CupsBuilt()) || Installed().contains(name);
}

QString Printers::ServerProblem() const { return catalog->ThroughCups() ? CupsServerProblem() : QString(); }

bool Printers::ThroughCups(const QString& name) const
{
    if (IsQueueUri(name))
        return CupsBuilt();
    return catalog->ThroughCups() && name != kPdfPrinterName;
}

Calibration Printers::CalibrationOf(const QString& name) const
{
    if (name == kPdfPrinterName || !calibration)
        return {};
    return calibration(name);
}

LabelSetup Printers::LabelSetupOf(const QString& name) const
{
    if (name == kPdfPrinterName || !labelSetup)
        return {};
    return labelSetup(name);
}

std::unique_ptr<LabelPrinter> Printers::OpenLabelPrinter(const QString& name) const
{
    LabelSetup setup = LabelSetupOf(name);
    if (IsSocketUri(name))
        return std::make_unique<LabelPrinter>(name, LabelSink::Socket, setup, CalibrationOf(name));
    if (!ThroughCups(name))
        return nullptr;
    // A queue that can't be asked prints as a driver's queue does, which
    // tells why it can't be used.
    const core::Result<QueueFormats> takes = QueueFormatsOf(name);
    if (takes.failed())
        return nullptr;
    static const QString kZpl = QStringLiteral("application/vnd.zebra-zpl");
    const bool zpl = takes->formats.contains(kZpl);
    if (!setup.language && !takes->raw && !zpl)
        return nullptr;
    const bool asZpl = zpl && setup.language.value_or(files::LabelLanguage::Zpl) == files::LabelLanguage::Zpl;
    return std::make_unique<LabelPrinter>(name, LabelSink::CupsQueue, setup, CalibrationOf(name),
                                          asZpl ? kZpl.toLatin1() : QByteArray("application/vnd.cups-raw"));
}

std::unique_ptr<PrintTarget> Printers::Open(const QString& name) const
{
    const QString printer = IsKnown(name) ? name : Default();
    // A system printer may be called "Print to PDF file" too; then it is that one.
    if (printer == kPdfPrinterName && !catalog->DeviceNames().contains(printer))
        return std::make_unique<PdfPrinter>(pdfFolder.isEmpty() ? PdfFolder() : pdfFolder, pdfGridDpi);
    if (std::unique_ptr<LabelPrinter> label = OpenLabelPrinter(printer))
        return label;
    if (ThroughCups(printer))
        return std::make_unique<CupsPrinter>(printer, CalibrationOf(printer));
    return std::make_unique<QtPrinter>(*catalog, printer, CalibrationOf(printer));
}

std::unique_ptr<PrintTarget> Printers::OpenPdfTo(QIODevice& out) const
{
    return std::make_unique<PdfPrinter>(out, pdfGridDpi);
}

core::Result<QString> Printers::PageSummary(const QString& name) const
{
    if (name == kPdfPrinterName && !catalog->DeviceNames().contains(name)) {
        const JobPage page = *PdfPrinter(pdfFolder, pdfGridDpi).PageFor(std::nullopt);
        const QueuePage described{page.sheetMm, page.marginsMm, 0};
        const QString grid = pdfGridDpi == files::kPdfGridDpi ? QStringLiteral("on a grid of 1/100 in")
                                                               : QStringLiteral("for a %1-dpi printer").arg(pdfGridDpi);
        return QStringLiteral("%1, %2, %3").arg(DescribePage(described), grid, DescribeMargins(described));
    }
    if (const std::unique_ptr<LabelPrinter> label = OpenLabelPrinter(name)) {
        const core::Result<LabelPrinter::Label> l = label->LabelFor(std::nullopt);
        if (l.failed())
            return l.failure();
        const QueuePage described{l->sizeMm, {}, l->dpi};
        return QStringLiteral("%1, %2, in %3")
            .arg(DescribePage(described), DescribeMargins(described),
                 files::LabelLanguageTitle(label->Language()));
    }
    if (!ThroughCups(name))
        return QString();
    const core::Result<QueuePage> page = QueuePageOf(name);
    if (page.failed())
        return page.failure();
    return QStringLiteral("%1, %2").arg(DescribePage(*page), DescribeMargins(*page));
}

std::optional<double> Printers::GridDpiOf(const QString& name) const
{
    if (name == kPdfPrinterName && !catalog->DeviceNames().contains(name))
        return pdfGridDpi;
    if (const std::unique_ptr<LabelPrinter> label = OpenLabelPrinter(name)) {
        const core::Result<LabelPrinter::Label> l = label->LabelFor(std::nullopt);
        return l.ok() && l->dpi > 0 ? std::optional<double>(l->dpi) : std::nullopt;
    }
    if (!ThroughCups(name))
        return std::nullopt;
    const core::Result<QueuePage> page = QueuePageOf(name);
    return page.ok() && page->dpi > 0 ? std::optional<double>(page->dpi) : std::nullopt;
}

} // namespace printing
