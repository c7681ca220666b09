#include "printing/PaintingTarget.h"

#include <QFontMetricsF>
#include <QPen>
#include <algorithm>

namespace printing {
namespace {

constexpr double kMmPerInch = 25.4;

} // namespace

struct PaintingTarget::Job {
    JobPage page;
    std::unique_ptr<JobDevice> device; // declared before the painter: the painter ends first
    QPainter painter;
    double dpi = 0;
    graphics::DeviceGrid grid;
    // The calibration as the painter applies it: points scaled about the
    // sheet's corner and shifted, in device units from the printable
    // area's corner.
    double calScale = 1;
    QPointF calOffset;
    QFont font; // the font set on the painter, as it was asked for

    double ToDevice(double mm) const { return mm / kMmPerInch * dpi; }
    QPointF ToDevice(QPointF mm) const { return mm / kMmPerInch * dpi; }
    QPointF Calibrated(QPointF p) const { return p * calScale + calOffset; }
    bool Calibrates() const { return calScale != 1 || !calOffset.isNull(); }
};

PaintingTarget::PaintingTarget() = default;
PaintingTarget::~PaintingTarget() { Abort(); }

core::Failure PaintingTarget::Failed(const QString& reason) const
{
    return core::Failure{core::kPrintFailed, QStringLiteral("The printer \"%1\" failed: %2").arg(Name(), reason)};
}

core::Result<JobPage> PaintingTarget::Begin(std::optional<QSizeF> paperMm)
{
    Abort();
    core::Result<OpenedJob> opened = Open(paperMm);
    // Sheets the printer does not have are no failure of the printer.
    if (opened.failed() && opened.failure().code == core::kWrongSheets)
        return core::Failure{core::kWrongSheets, QStringLiteral("The printer \"%1\" can't print this: %2")
                                                     .arg(Name(), opened.failure().text)};
    if (opened.failed())
        return Failed(opened.failure().text);

    auto job = std::make_unique<Job>();
    job->page = opened->page;
    job->device = std::move(opened->device);
    if (!job->painter.begin(job->device->Device()))
        return Failed(QStringLiteral("the print job could not be started"));
    job->painter.translate(job->device->PrintableCorner());
    job->painter.setPen(Qt::black);
    job->dpi = job->device->Dpi();
    // A printer's dots are its resolution; a PDF's are the grid it is made
    // for. Either grid starts at the corner of the sheet, which lies outside
    // the printable area the painter starts at.
    job->grid = graphics::DeviceGrid{job->dpi, job->page.gridDpi, job->device->SheetCorner()};
    const Calibration& cal = job->page.calibration;
    job->calScale = cal.scalePercent / 100;
    job->grid.scale = job->calScale;
    // A point p of the printable area is the sheet's p + m; the printer puts
    // that at (p + m) × s + shift, which is p × s + m × (s − 1) + shift.
    job->calOffset = -job->grid.origin * (job->calScale - 1) + job->ToDevice(QPointF(cal.shiftXMm, cal.shiftYMm));
    // What the device has: its printable area and where the sheet begins.
    const QSizeF printable = job->device->PrintableSize();
    job->page.printableMm = QSizeF(printable.width(), printable.height()) / job->dpi * kMmPerInch;
    job->page.marginsMm.setLeft(-job->grid.origin.x() / job->dpi * kMmPerInch);
    job->page.marginsMm.setTop(-job->grid.origin.y() / job->dpi * kMmPerInch);
    job_ = std::move(job);
    return job_->page;
}

void PaintingTarget::PlaceDrawing(const graphics::Drawing& drawing, QPointF topLeftMm)
{
    if (!job_ || drawing.IsEmpty())
        return;
    graphics::Replay(drawing, job_->painter, job_->Calibrated(job_->ToDevice(topLeftMm)), job_->grid);
}

void PaintingTarget::PlaceLabel(const labels::LaidOutLabel& label, QPointF topLeftMm)
{
    if (!job_ || label.parts.empty())
        return;
    labels::PaintLabel(label, job_->painter, job_->Calibrated(job_->ToDevice(topLeftMm)), job_->grid);
}

QSizeF PaintingTarget::DrawingSizeMm(const graphics::Drawing& drawing) const
{
    if (!job_)
        return {};
    return graphics::ReplayedSize(drawing, job_->grid) / job_->dpi * kMmPerInch;
}

void PaintingTarget::PlaceLine(const QLineF& mm, double widthMm)
{
    if (!job_)
        return;
    Job& j = *job_;
    j.painter.save();
    j.painter.setPen(QPen(Qt::black, j.ToDevice(widthMm) * j.calScale, Qt::SolidLine, Qt::FlatCap));
    j.painter.drawLine(j.Calibrated(j.ToDevice(mm.p1())), j.Calibrated(j.ToDevice(mm.p2())));
    j.painter.restore();
}

void PaintingTarget::PlaceText(QPointF baselineMm, const QString& text, const QFont& font)
{
    if (!job_)
        return;
    Job& j = *job_;
    if (j.font != font) { // a listing sets one font for thousands of lines
        j.font = font;
        j.painter.setFont(QFont(font, j.device->Device()));
    }
    const QPointF at = j.ToDevice(baselineMm);
    if (!j.Calibrates()) { // most printers: no state to save
        graphics::DrawTextLine(j.painter, at, text);
        return;
    }
    j.painter.save();
    j.painter.translate(j.calOffset);
    j.painter.scale(j.calScale, j.calScale);
    graphics::DrawTextLine(j.painter, at, text);
    j.painter.restore();
}

TextMeasures PaintingTarget::MeasureText(const QFont& font) const
{
    if (!job_)
        return {};
    const QFontMetricsF fm(QFont(font, job_->device->Device()));
    const double mmPerUnit = kMmPerInch / job_->dpi;
    return {fm.lineSpacing() * mmPerUnit, fm.ascent() * mmPerUnit, std::max(fm.averageCharWidth(), 1.0) * mmPerUnit};
}

core::Status PaintingTarget::NewPage()
{
    if (!job_)
        return Failed(QStringLiteral("no job was begun"));
    const core::Status started = job_->device->NextPage(job_->painter);
    return started.ok() ? started : core::Status(Failed(started.failure().text));
}

core::Result<JobDone> PaintingTarget::End()
{
    if (!job_)
        return JobDone{};
    std::unique_ptr<Job> job = std::move(job_);
    core::Result<JobDone> done = job->device->Finish(job->painter);
    if (done.failed())
        return Failed(done.failure().text);
    return done;
}

void PaintingTarget::Abort()
{
    if (!job_)
        return;
    job_->device->Discard(job_->painter);
    job_.reset();
}

} // namespace printing
