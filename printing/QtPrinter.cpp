#include "printing/QtPrinter.h"

#include "printing/CupsPrinter.h"
#include "printing/Printers.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

namespace printing {
namespace {

class QtPrinterJob : public JobDevice {
public:
    explicit QtPrinterJob(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}

    QPaintDevice* Device() override { return printer_.get(); }
    double Dpi() const override { return printer_->logicalDpiX(); }
    QPointF SheetCorner() const override { return -printer_->pageRect(QPrinter::DevicePixel).topLeft(); }
    QSizeF PrintableSize() const override { return QSizeF(printer_->width(), printer_->height()); }

    core::Status NextPage(QPainter&) override
    {
        if (printer_->newPage())
            return core::Ok();
        return core::Failure{core::kPrintFailed, QStringLiteral("a new page could not be started")};
    }

    core::Result<JobDone> Finish(QPainter& painter) override
    {
        if (painter.isActive() && !painter.end())
            return core::Failure{core::kPrintFailed, QStringLiteral("the job could not be sent")};
        if (printer_->printerState() == QPrinter::Error)
            return core::Failure{core::kPrintFailed, QStringLiteral("the printer reported an error")};
        return JobDone{};
    }

    void Discard(QPainter& painter) override
    {
        if (painter.isActive())
            printer_->abort(); // a half-made job is not sent
        painter.end();
    }

private:
    std::unique_ptr<QPrinter> printer_;
};

} // namespace

QtPrinter::QtPrinter(const PrinterCatalog& catalog, QString name, Calibration calibration)
    : catalog_(catalog), name_(std::move(name)), calibration_(calibration)
{
}

core::Result<JobPage> QtPrinter::configure(QPrinter& printer, std::optional<QSizeF> paperMm) const
{
    if (const core::Status configured = catalog_.Configure(printer, name_); configured.failed())
        return configured.failure();
    if (paperMm)
        printer.setPageSize(QPageSize(*paperMm, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch));
    const QPageLayout layout = printer.pageLayout();
    const QSizeF sheet = layout.fullRect(QPageLayout::Millimeter).size();
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    const QString page = QStringLiteral("%1 × %2 mm").arg(sheet.width()).arg(sheet.height());
    if (const core::Status fits = SheetsFit(paperMm, sheet, page); fits.failed())
        return fits.failure();
    return JobPage{sheet, margins, sheet.shrunkBy(margins), double(printer.resolution()), calibration_};
}

core::Result<JobPage> QtPrinter::PageFor(std::optional<QSizeF> paperMm) const
{
    QPrinter printer(QPrinter::HighResolution);
    return configure(printer, paperMm);
}

core::Result<PaintingTarget::OpenedJob> QtPrinter::Open(std::optional<QSizeF> paperMm)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(QStringLiteral("Quorvane"));
    core::Result<JobPage> page = configure(*printer, paperMm);
    if (page.failed())
        return page.failure();
    return OpenedJob{*page, std::make_unique<QtPrinterJob>(std::move(printer))};
}

} // namespace printing
