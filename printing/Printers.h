// Printers: the installed printers by device name, the current printer, and
// the printing surface of one document on it (unit of measure, pictures at
// their natural size, lines of text that run on to a new page, the print
// position, ending the document as one job). Next to the system's printers
// there is always one built-in printer, "Print to PDF file", that writes
// each job to a new PDF file, so printing works on any machine.
#pragma once

#include "core/Failure.h"
#include "files/PdfDocument.h"
#include "graphics/Drawing.h"
#include "printing/CupsQueue.h"

#include <QImage>
#include <QLineF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;
class QPrinter;

namespace printing {

// The built-in printer's device name. It has blanks, so it can never equal
// a CUPS queue name (the common queue "PDF" stays distinct).
inline const QString kPdfPrinterName = QStringLiteral("Print to PDF file");

// The built-in printer's page: A4 (Letter in US locales) with the printable
// area of a typical office printer, so a PDF looks like what a printer
// will print and prints whole on one.
inline constexpr double kPdfMarginMm = 6.35;
inline constexpr int kMinPdfDpi = 72, kMaxPdfDpi = 2400;
// The grid the built-in printer's PDFs are drawn on: the resolution of the
// printer they are meant for (at 203 every module is whole dots of a
// 203-dpi label printer). Values outside [kMinPdfDpi, kMaxPdfDpi] are ignored.
void SetPdfGridDpi(double dpi);
double PdfGridDpi();

// Where the system's printers come from: Qt's list (CUPS, the Windows
// spooler) unless a test installs its own.
class PrinterCatalog {
public:
    virtual ~PrinterCatalog() = default;
    // Device names in the order the platform reports them.
    virtual QStringList DeviceNames() const = 0;
    // The system's default printer; empty when there is none.
    virtual QString DefaultDeviceName() const = 0;
    // Points a printer at the named installed printer; false with the
    // reason when it can't.
    virtual bool Configure(QPrinter& printer, const QString& deviceName, QString& error) const = 0;
    // True when the printers are CUPS queues: their jobs go to CUPS as PDF
    // documents on the queue's own page, and are followed there.
    virtual bool ThroughCups() const { return false; }
};

// Installs a catalog (nullptr restores the system's) and makes its default
// the current printer again. Returns the previous catalog.
PrinterCatalog* SetPrinterCatalog(PrinterCatalog* catalog);

// The system's printers in platform order, then the built-in PDF printer.
QStringList InstalledPrinters();
// An installed printer's name, or a queue's ipp:// or ipps:// URI.
bool IsKnownPrinter(const QString& name);
// True when the named printer's jobs go to a CUPS queue through libcups.
bool PrintsThroughCups(const QString& deviceName);

// The page a printer's jobs get, in words, as the window shows it under
// the printer and `print --dry-run` tells it: "4 × 5 in label, 203 dpi,
// printable to the edges". Empty with the reason in `error` when the
// printer can't say.
QString PageSummary(const QString& deviceName, QString& error);

// The folder the built-in printer writes to: $QUORVANE_PDF_DIR, else a
// "Quorvane" folder in the user's documents folder; empty when there is no
// home folder.
QString PdfFolder();

// Called with the path of every PDF file the built-in printer has written
// (an unattended run prints it on stdout). Returns the previous handler.
std::function<void(const QString&)> SetPdfWrittenHandler(std::function<void(const QString&)> handler);

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
// Where the printers' calibrations come from (the settings, in the
// program). Returns the previous lookup; none: no printer has one.
using CalibrationLookup = std::function<Calibration(const QString& deviceName)>;
CalibrationLookup SetCalibrationLookup(CalibrationLookup lookup);
// The calibration the named printer's jobs get (the built-in PDF printer
// has none).
Calibration CalibrationOf(const QString& deviceName);

// Units of the print position and of the sizes a printer reports.
enum class PrinterScale { Twips, Points, Inches, Millimeters, Centimeters };

// The current printer and the document being printed on it. A document
// begins with the first output and ends with EndDoc, which sends it as one
// job. Positions are measured from the top-left corner of the printable
// area, in the scale unit.
class Printer {
public:
    Printer();
    ~Printer();
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    QString DeviceName() const;
    // Makes the first installed printer whose device name equals `name`
    // exactly (case and blanks count) the current printer. False when no
    // name matches; the current printer then stays.
    bool SelectByName(const QString& name);
    // Back to the catalog's default printer (the built-in one when the
    // system has none).
    void ResetToDefault();

    PrinterScale ScaleMode() const { return scale_; }
    void SetScaleMode(PrinterScale scale) { scale_ = scale; }

    // The sheet the next documents are made for (a sheet of labels), in
    // mm; none: the printer's own page. The built-in printer makes its
    // pages that size; a printer whose page is another size fails the
    // document with the reason.
    void SetPaper(std::optional<QSizeF> paperMm) { paper_ = paperMm; }
    // From now on documents are drawn on pictures of their pages at `dpi`,
    // as the printer would print them, instead of being printed; every
    // EndDoc adds its pages to those TakePreview gives. 0 prints again.
    void SetPreview(double dpi) { previewDpi_ = dpi; }
    // The printable area of the last page previewed, in mm from the
    // sheet's corner, and the sheet's size.
    QRectF PreviewPrintableMm() const { return previewPrintable_; }
    QSizeF PreviewPaperMm() const { return previewPaper_; }
    // The built-in printer's next document is written to this device (a
    // file an export makes whole) instead of a new file in its folder.
    void WriteNextPdfTo(QIODevice* device) { pdfDevice_ = device; }
    std::vector<QImage> TakePreview();
    // True once the document in progress has failed; later output is dropped.
    bool DocFailed() const;

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

    double CurrentX() const;
    double CurrentY() const;
    // Moves the print position down to y (never up); the next line starts there.
    void MoveDownTo(double y);

    // Draws a drawing with its top-left corner at (x, y), at its natural
    // size (a drawing pixel is 1/96 inch), moved to the nearest whole number
    // of the printer's dots per module so that every bar and space is sharp.
    // Not scaled to the page and not clipped.
    void PaintDrawing(const graphics::Drawing& drawing, double x, double y);
    // The size a drawing takes on the page, in scale units (begins the document).
    double DrawingWidth(const graphics::Drawing& drawing);
    double DrawingHeight(const graphics::Drawing& drawing);
    // Marks for measuring a printer: a line and a text placed in mm from
    // the sheet's top-left corner (the text's baseline starts at `at`).
    void PaintLineMm(const QLineF& sheetMm, double widthMm);
    void PaintTextMm(const QPointF& at, const QString& text);
    // Prints text at the print position and moves to the start of the next
    // line; a CR LF inside the text starts a new line too. A line that would
    // run past the bottom of the page goes on a new page.
    void Print(const QString& text);
    void NewPage();

    // Ends the document and sends it as one job. The failure (kPrintFailed,
    // its text naming the printer and the reason) when the document failed
    // at any point; nothing when it was sent. Without a document it does
    // nothing and succeeds.
    core::MaybeFailure EndDoc();
    // Drops the document without sending it.
    void KillDoc();
    // The CUPS job the last EndDoc sent, until the next document begins;
    // the caller that follows it forgets it (ForgetJob).
    const std::optional<CupsJob>& LastJob() const { return lastJob_; }

private:
    struct Doc;
    double unitsPerInch() const;
    bool ensureDoc();
    void fail(Doc& doc, const QString& reason);
    core::MaybeFailure Outcome(const Doc& doc) const;

    QString deviceName_;
    PrinterScale scale_ = PrinterScale::Twips;
    double xInches_ = 0, yInches_ = 0;
    std::unique_ptr<Doc> doc_;
    QString error_;
    std::optional<CupsJob> lastJob_;
    std::optional<QSizeF> paper_;
    double previewDpi_ = 0;
    QRectF previewPrintable_;
    QSizeF previewPaper_;
    QIODevice* pdfDevice_ = nullptr;
    std::vector<QImage> preview_;
};

// The program's one current printer.
Printer& CurrentPrinter();

} // namespace printing
