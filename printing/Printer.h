// The printing surface of one document on a printer, as a listing and a
// single label use it: a unit of measure, a print position, lines of text
// that run on to a new page, drawings at their natural size. A thin front
// over the printer's PrintTarget: the document begins there with the first
// output and ends with EndDoc, which sends it as one job. Positions are
// measured from the top-left corner of the printable area, in the unit of
// measure.
#pragma once

#include "printing/PrintTarget.h"

#include <QFont>
#include <QLineF>
#include <QSizeF>
#include <QString>
#include <optional>

namespace printing {

// Units of the print position and of the sizes a printer reports.
enum class PrinterScale { Twips, Points, Inches, Millimeters, Centimeters };

class Printer {
public:
    explicit Printer(PrintTarget& target);
    ~Printer();
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    QString DeviceName() const { return target_.Name(); }

    PrinterScale ScaleMode() const { return scale_; }
    void SetScaleMode(PrinterScale scale) { scale_ = scale; }
    // The sheet the next document is made for (a sheet of labels), in mm;
    // none: the printer's own page.
    void SetPaper(std::optional<QSizeF> paperMm) { paper_ = paperMm; }

    // Begins the document, when it has not begun; why not, when it can't.
    core::Status Begin();
    // The printable area of the page, in scale units (begins the document).
    double ScaleWidth();
    double ScaleHeight();
    // Where the printable area begins on the sheet: its distance from the
    // sheet's left and top edges, in scale units (begins the document).
    double PaperLeft();
    double PaperTop();
    // The sheet's size in mm (begins the document).
    QSizeF SheetMm();
    // The height of one line of text in the printer font, in scale units.
    double TextHeight();
    // The printer font's size in points (10 unless set), and the measures
    // of its lines and characters on the page (begins the document).
    void SetFontPoints(double points);
    TextMeasures FontMeasures();

    double CurrentX() const;
    double CurrentY() const;
    // Moves the print position down to y (never up); the next line starts there.
    void MoveDownTo(double y);

    // Draws a drawing with its top-left corner at (x, y), at its natural
    // size, every module on whole dots of the printer (see PrintTarget).
    core::Status PaintDrawing(const graphics::Drawing& drawing, double x, double y);
    // A label laid out for GridDpi() with its top-left corner at (x, y).
    core::Status PaintLabel(const labels::LaidOutLabel& label, double x, double y);
    // The dots per inch of the grid the page's shapes land on (begins the document).
    double GridDpi();
    // The size a drawing takes on the page, in scale units (begins the document).
    double DrawingWidth(const graphics::Drawing& drawing);
    double DrawingHeight(const graphics::Drawing& drawing);
    // Marks for measuring a printer: a line and a text placed in mm from
    // the sheet's top-left corner (the text's baseline starts at `at`). A
    // document that failed says so at EndDoc.
    void PaintLineMm(const QLineF& sheetMm, double widthMm);
    void PaintTextMm(const QPointF& at, const QString& text);
    // Prints text at the print position and moves to the start of the next
    // line; a CR LF inside the text starts a new line too. A line that would
    // run past the bottom of the page goes on a new page.
    core::Status Print(const QString& text);
    core::Status NewPage();

    // Ends the document and sends it as one job: what became of it, or why
    // it failed at any point. Without a document it does nothing.
    core::Result<JobDone> EndDoc();
    // Drops the document without sending it.
    void KillDoc();

private:
    double unitsPerMm() const;

    PrintTarget& target_;
    PrinterScale scale_ = PrinterScale::Twips;
    std::optional<QSizeF> paper_;
    QFont font_;
    // The document in progress: its page and the printer font's measures;
    // none before the first output. Once it failed, output is dropped and
    // EndDoc says why.
    std::optional<JobPage> page_;
    TextMeasures text_;
    core::Status state_;
    double xMm_ = 0, yMm_ = 0;
};

} // namespace printing
