#include "printing/PictureJob.h"

#include <QPen>
#include <cmath>

namespace printing {
namespace {

constexpr double kMmPerInch = 25.4;

} // namespace

PictureJob::PictureJob(QSize dots, double dpi) : dots_(dots), dpi_(dpi) { newPicture(); }

core::Status PictureJob::NextPage(QPainter& painter)
{
    const QFont font = painter.font();
    const QPen pen = painter.pen();
    painter.end();
    if (const core::Status taken = TakePage(picture_.convertToFormat(QImage::Format_Grayscale8)); taken.failed())
        return taken;
    newPicture();
    // As the job began: the origin at the printable area's corner.
    painter.begin(&picture_);
    painter.translate(PrintableCorner());
    painter.setFont(font);
    painter.setPen(pen);
    return core::Ok();
}

core::Result<JobDone> PictureJob::Finish(QPainter& painter)
{
    if (painter.isActive())
        painter.end();
    if (const core::Status taken = TakePage(picture_.convertToFormat(QImage::Format_Grayscale8)); taken.failed())
        return taken.failure();
    return Send();
}

void PictureJob::newPicture()
{
    picture_ = QImage(dots_, QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(std::lround(dpi_ / kMmPerInch * 1000));
    picture_.setDotsPerMeterX(dotsPerMeter);
    picture_.setDotsPerMeterY(dotsPerMeter);
    picture_.fill(Qt::white);
}

} // namespace printing
