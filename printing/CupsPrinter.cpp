#include "printing/CupsPrinter.h"

#include "files/PdfDocument.h"

#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QTemporaryFile>
#include <cmath>

namespace printing {
namespace {

// A job's PDF, drawn into a temporary file and sent when whole.
class CupsJobDocument : public JobDevice {
public:
    CupsJobDocument(QString queue, const JobPage& page) : queue_(std::move(queue))
    {
        file_.setFileTemplate(QDir::temp().filePath(QStringLiteral("quorvane-job-XXXXXX.pdf")));
        if (!file_.open())
            return;
        pdf_ = std::make_unique<files::PdfDocument>(
            &file_,
            QPageLayout(QPageSize(page.sheetMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                        QPageLayout::Portrait, page.marginsMm, QPageLayout::Millimeter, QMarginsF()),
            static_cast<int>(page.gridDpi));
    }
    bool Opened() const { return pdf_ != nullptr; }
    QString OpenError() const
    {
        return QStringLiteral("the job's document can't be made in %1: %2")
            .arg(QDir::toNativeSeparators(QDir::tempPath()), file_.errorString());
    }

    QPaintDevice* Device() override { return pdf_.get(); }
    double Dpi() const override { return pdf_->logicalDpiX(); }
    QPointF SheetCorner() const override { return -QPointF(pdf_->PaintRect().topLeft()); }
    QSizeF PrintableSize() const override { return QSizeF(pdf_->width(), pdf_->height()); }

    core::Status NextPage(QPainter&) override
    {
        if (pdf_->NewPage())
            return core::Ok();
        return core::Failure{core::kPrintFailed, QStringLiteral("a new page could not be started")};
    }

    core::Result<JobDone> Finish(QPainter& painter) override
    {
        if (painter.isActive() && !painter.end())
            return core::Failure{core::kPrintFailed, QStringLiteral("the job could not be sent")};
        if (!file_.flush() || file_.error() != QFileDevice::NoError)
            return core::Failure{core::kPrintFailed,
                                 QStringLiteral("the job's document could not be written: %1").arg(file_.errorString())};
        core::Result<CupsJob> job = SubmitDocument(queue_, QStringLiteral("Quorvane"), file_, "application/pdf");
        if (job.failed())
            return job.failure();
        return JobDone{{}, *job, {}};
    }

private:
    QString queue_;
    QTemporaryFile file_;
    std::unique_ptr<files::PdfDocument> pdf_;
};

} // namespace

core::Status SheetsFit(std::optional<QSizeF> paperMm, QSizeF pageMm, const QString& page)
{
    if (!paperMm ||
        (std::abs(paperMm->width() - pageMm.width()) <= 1 && std::abs(paperMm->height() - pageMm.height()) <= 1))
        return core::Ok();
    return core::Failure{core::kWrongSheets,
                         QStringLiteral("it prints on %1, not on the %2 × %3 mm sheets asked for")
                             .arg(page, QString::number(paperMm->width()), QString::number(paperMm->height()))};
}

CupsPrinter::CupsPrinter(QString queue, Calibration calibration)
    : queue_(std::move(queue)), calibration_(calibration)
{
}

core::Result<JobPage> CupsPrinter::PageFor(std::optional<QSizeF> paperMm) const
{
    const core::Result<QueuePage> page = QueuePageOf(queue_);
    if (page.failed())
        return page.failure();
    if (const core::Status fits = SheetsFit(paperMm, page->sizeMm, DescribePage(*page)); fits.failed())
        return fits.failure();
    const int dpi = page->dpi > 0 ? page->dpi : files::kPdfResolution;
    return JobPage{page->sizeMm, page->marginsMm, page->sizeMm.shrunkBy(page->marginsMm), double(dpi), calibration_};
}

core::Result<PaintingTarget::OpenedJob> CupsPrinter::Open(std::optional<QSizeF> paperMm)
{
    core::Result<JobPage> page = PageFor(paperMm);
    if (page.failed())
        return page.failure();
    auto document = std::make_unique<CupsJobDocument>(queue_, *page);
    if (!document->Opened())
        return core::Failure{core::kPrintFailed, document->OpenError()};
    return OpenedJob{*page, std::move(document)};
}

} // namespace printing
