// What every printer shares: Qt paints the job on a device of the printer's
// (a PDF document, a QPrinter, pictures of the pages), each shape placed on
// the printer's grid of dots and moved and scaled by its calibration. A
// printer supplies its page and the device of a job; the painting, the
// measures and the failures' words are here, once.
#pragma once

#include "graphics/Drawing.h"
#include "printing/PrintTarget.h"

#include <QPainter>
#include <memory>

namespace printing {

// The device one job is painted on, and what sending it takes. Destroying
// it drops whatever was not sent (a temporary file, a spooler job).
class JobDevice {
public:
    virtual ~JobDevice() = default;
    virtual QPaintDevice* Device() = 0;
    // Device units per inch.
    virtual double Dpi() const = 0;
    // Where the printable area's top-left corner lies on the device: the
    // painter's origin is put there.
    virtual QPointF PrintableCorner() const { return {}; }
    // The sheet's top-left corner, in device units from the printable
    // area's corner (it lies outside it).
    virtual QPointF SheetCorner() const = 0;
    // The printable area's size, in device units.
    virtual QSizeF PrintableSize() const = 0;
    // Ends the page painted and starts the next one; the painter paints on
    // as before (font, pen, origin).
    virtual core::Status NextPage(QPainter& painter) = 0;
    // Ends the painting and sends the job. The reasons of the failures are
    // worded to follow "The printer X failed: ".
    virtual core::Result<JobDone> Finish(QPainter& painter) = 0;
    // Ends the painting without sending anything.
    virtual void Discard(QPainter& painter) { painter.end(); }
};

class PaintingTarget : public PrintTarget {
public:
    PaintingTarget();
    ~PaintingTarget() override;

    core::Result<JobPage> Begin(std::optional<QSizeF> paperMm) final;
    void PlaceDrawing(const graphics::Drawing& drawing, QPointF topLeftMm) final;
    QSizeF DrawingSizeMm(const graphics::Drawing& drawing) const final;
    void PlaceLabel(const labels::LaidOutLabel& label, QPointF topLeftMm) final;
    void PlaceLine(const QLineF& mm, double widthMm) final;
    void PlaceText(QPointF baselineMm, const QString& text, const QFont& font) final;
    TextMeasures MeasureText(const QFont& font) const final;
    core::Status NewPage() final;
    core::Result<JobDone> End() final;
    void Abort() final;

protected:
    // A job's page (PageFor's) and the device it is painted on. The reason
    // when they can't be had, worded as the Finish's are.
    struct OpenedJob {
        JobPage page;
        std::unique_ptr<JobDevice> device;
    };
    virtual core::Result<OpenedJob> Open(std::optional<QSizeF> paperMm) = 0;
    // The failure of the job: the printer named, then the reason.
    core::Failure Failed(const QString& reason) const;

private:
    struct Job;
    std::unique_ptr<Job> job_;
};

} // namespace printing
