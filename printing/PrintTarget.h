// Where a job goes, as one interface: the built-in PDF printer, a CUPS
// queue, one of Qt's printers (the Windows spooler) and a preview of the
// pages each implement it once. Whatever prints (a listing, a run of
// labels, label sheets, the calibration page) drives a target: it begins a
// job on a page, places drawings, lines and text on it, starts new pages,
// and ends the job with one result: a file written, a CUPS job to follow,
// the pages of a preview, or why the job failed.
#pragma once

#include "core/Result.h"
#include "graphics/Drawing.h"
#include "labels/LabelLayout.h"
#include "printing/CupsQueue.h"

#include <QFont>
#include <QImage>
#include <QLineF>
#include <QMarginsF>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <optional>
#include <vector>

namespace printing {

// How far a printer is off: it moves what it prints by a shift and makes
// it larger or smaller by a scale about the sheet's top-left corner. What
// Quorvane prints on it is moved and scaled the other way round, so that
// it lands where it was meant to.
struct Calibration {
    double shiftXMm = 0; // to the right
    double shiftYMm = 0; // down
    double scalePercent = 100;
    bool IsNone() const { return shiftXMm == 0 && shiftYMm == 0 && scalePercent == 100; }
};

// The page of a job.
struct JobPage {
    QSizeF sheetMm;       // the sheet or label
    QMarginsF marginsMm;  // the edges the printer can't print on
    QSizeF printableMm;   // what is left between them
    double gridDpi = 0;   // the dots shapes land on: the printer's; for a PDF the grid it is made for
    Calibration calibration;
};

// What became of a job that went out.
struct JobDone {
    QString pdfPath;                // the PDF file the built-in printer wrote (none when it wrote to a device given)
    std::optional<CupsJob> cupsJob; // the job a CUPS queue took: to follow to its end
    std::vector<QImage> pages;      // the pages a preview drew
    // A label printer's job: the labels written in its language, and the
    // bytes of them that went to the printer.
    qint64 labels = 0;
    qint64 bytes = 0;
};

// The measures of a font on a printer's page, in mm.
struct TextMeasures {
    double lineMm = 0;   // from one line's baseline to the next one's
    double ascentMm = 0; // from the top of a line to its baseline
    double charMm = 0;   // an average character's width
};

class PrintTarget {
public:
    virtual ~PrintTarget() = default;

    // The printer's name, as the user chose it.
    virtual QString Name() const = 0;
    // The page its jobs get: on sheets of `paperMm` when given (a sheet of
    // labels), else its own. Why not, when the printer can't be used or
    // prints on another page than the sheets asked for.
    virtual core::Result<JobPage> PageFor(std::optional<QSizeF> paperMm) const = 0;

    // Begins a job, on sheets of `paperMm` when given: the job's page. The
    // calls below place on it, in mm from the top-left corner of its
    // printable area.
    virtual core::Result<JobPage> Begin(std::optional<QSizeF> paperMm) = 0;
    // A drawing at its natural size (a drawing pixel is 1/96 inch), moved to
    // the nearest whole number of the printer's dots per module so that
    // every bar and space is sharp; neither scaled to the page nor clipped.
    virtual void PlaceDrawing(const graphics::Drawing& drawing, QPointF topLeftMm) = 0;
    // The size a drawing takes on the page.
    virtual QSizeF DrawingSizeMm(const graphics::Drawing& drawing) const = 0;
    // A label laid out for the job page's grid (JobPage::gridDpi), its
    // top-left corner at `topLeftMm`: every part where the layout put it,
    // its text as text.
    virtual void PlaceLabel(const labels::LaidOutLabel& label, QPointF topLeftMm) = 0;
    virtual void PlaceLine(const QLineF& mm, double widthMm) = 0;
    // A line of text, its baseline starting at `baselineMm`.
    virtual void PlaceText(QPointF baselineMm, const QString& text, const QFont& font) = 0;
    virtual TextMeasures MeasureText(const QFont& font) const = 0;
    virtual core::Status NewPage() = 0;
    // Ends the job and sends it.
    virtual core::Result<JobDone> End() = 0;
    // Drops the job: nothing is sent and nothing is left behind.
    virtual void Abort() = 0;
};

} // namespace printing
