#include "printing/PreviewPrinter.h"

#include "printing/PictureJob.h"

namespace printing {
namespace {

constexpr double kMmPerInch = 25.4;

// Pictures of the whole sheet, grey, at the preview's resolution.
class PreviewPages : public PictureJob {
public:
    PreviewPages(const JobPage& page, double dpi)
        : PictureJob(QSize(qRound(page.sheetMm.width() / kMmPerInch * dpi), qRound(page.sheetMm.height() / kMmPerInch * dpi)),
                     dpi),
          page_(page)
    {
    }

    QPointF PrintableCorner() const override { return QPointF(page_.marginsMm.left(), page_.marginsMm.top()) / kMmPerInch * Dpi(); }
    QPointF SheetCorner() const override { return -PrintableCorner(); }
    QSizeF PrintableSize() const override { return page_.printableMm / kMmPerInch * Dpi(); }

private:
    core::Status TakePage(QImage page) override
    {
        pages_.push_back(std::move(page));
        return core::Ok();
    }

    core::Result<JobDone> Send() override { return JobDone{{}, std::nullopt, std::move(pages_)}; }

    JobPage page_;
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
