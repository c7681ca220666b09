#include "printing/PreviewPrinter.h"

namespace printing {
namespace {

constexpr double kMmPerInch = 25.4;

// Pictures of the whole sheet, grey, at the preview's resolution.
class PreviewPages : public JobDevice {
public:
    PreviewPages(const JobPage& page, double dpi) : page_(page), dpi_(dpi) { newPicture(); }

    QPaintDevice* Device() override { return &picture_; }
    double Dpi() const override { return dpi_; }
    QPointF PrintableCorner() const override { return QPointF(page_.marginsMm.left(), page_.marginsMm.top()) / kMmPerInch * dpi_; }
    QPointF SheetCorner() const override { return -PrintableCorner(); }
    QSizeF PrintableSize() const override { return page_.printableMm / kMmPerInch * dpi_; }

    core::Status NextPage(QPainter& painter) override
    {
        const QFont font = painter.font();
        const QPen pen = painter.pen();
        painter.end();
        pages_.push_back(picture_.convertToFormat(QImage::Format_Grayscale8));
        newPicture();
        painter.begin(&picture_);
        painter.translate(PrintableCorner());
        painter.setFont(font);
        painter.setPen(pen);
        return core::Ok();
    }

    core::Result<JobDone> Finish(QPainter& painter) override
    {
        if (painter.isActive())
            painter.end();
        pages_.push_back(picture_.convertToFormat(QImage::Format_Grayscale8));
        return JobDone{{}, std::nullopt, std::move(pages_)};
    }

private:
    void newPicture()
    {
        picture_ = QImage(qRound(page_.sheetMm.width() / kMmPerInch * dpi_), qRound(page_.sheetMm.height() / kMmPerInch * dpi_),
                          QImage::Format_RGB32);
        const int dotsPerMeter = qRound(dpi_ / kMmPerInch * 1000);
        picture_.setDotsPerMeterX(dotsPerMeter);
        picture_.setDotsPerMeterY(dotsPerMeter);
        picture_.fill(Qt::white);
    }

    JobPage page_;
    double dpi_;
    QImage picture_;
    std::vector<QImage> pages_;
};

} // namespace

PreviewPrinter::PreviewPrinter(const PrintTarget& printer, double dpi) : printer_(printer), dpi_(dpi) {}

core::Result<PaintingTarget::OpenedJob> PreviewPrinter::Open(std::optional<QSizeF> paperMm)
{
    core::Result<JobPage> page = printer_.PageFor(paperMm);
    if (page.failed())
        return page.failure();
    return OpenedJob{*page, std::make_unique<PreviewPages>(*page, dpi_)};
}

} // namespace printing
