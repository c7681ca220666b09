// Printers: the installed printers by device name, the current printer, and
// the printing surface of one document on it (unit of measure, pictures at
// their natural size, lines of text that run on to a new page, the print
// position, ending the document as one job). Next to the system's printers
// there is always one built-in printer, "Print to PDF file", that writes
// each job to a new PDF file, so printing works on any machine.
#pragma once

#include "platform/CupsQueue.h"
#include "platform/Drawing.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;

namespace platform {

// The built-in printer's device name. It has blanks, so it can never equal
// a CUPS queue name (the common queue "PDF" stays distinct).
inline const QString kPdfPrinterName = QStringLiteral("Print to PDF file");

// The built-in printer's page: A4 (Letter in US locales) with the printable
// area of a typical office printer, so a PDF looks like what a printer
// will print and prints whole on one.
inline constexpr double kPdfMarginMm = 6.35;
// A PDF has no dots of its own and meets printers of 203, 300, 600 and 1200
// dpi later: by default shapes are placed on a grid of 1/100 inch, whole
// dots at 300, 600 and 1200 dpi and within 2 % of whole dots at 203 dpi.
inline constexpr double kPdfGridDpi = 100;
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

    // True once the document in progress has failed; later output is dropped.
    bool DocFailed() const;

    // The printable area of the page, in scale units (begins the document).
    double ScaleWidth();
    double ScaleHeight();
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
    void PaintDrawing(const Drawing& drawing, double x, double y);
    // The size a drawing takes on the page, in scale units (begins the document).
    double DrawingWidth(const Drawing& drawing);
    double DrawingHeight(const Drawing& drawing);
    // Prints text at the print position and moves to the start of the next
    // line; a CR LF inside the text starts a new line too. A line that would
    // run past the bottom of the page goes on a new page.
    void Print(const QString& text);
    void NewPage();

    // Ends the document and sends it as one job. False when the document
    // failed at any point; Error() says why. Without a document it does
    // nothing and succeeds.
    bool EndDoc();
    // Drops the document without sending it.
    void KillDoc();
    QString Error() const { return error_; }
    // The CUPS job the last EndDoc sent, until the next document begins;
    // the caller that follows it forgets it (platform::ForgetJob).
    const std::optional<CupsJob>& LastJob() const { return lastJob_; }

private:
    struct Doc;
    double unitsPerInch() const;
    bool ensureDoc();
    void fail(Doc& doc, const QString& reason);

    QString deviceName_;
    PrinterScale scale_ = PrinterScale::Twips;
    double xInches_ = 0, yInches_ = 0;
    std::unique_ptr<Doc> doc_;
    QString error_;
    std::optional<CupsJob> lastJob_;
};

// The program's one current printer.
Printer& CurrentPrinter();

} // namespace platform
