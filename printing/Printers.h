// The printers the program prints on: the system's (CUPS queues on Linux,
// the spooler on Windows), queues of a print server by their URI, and
// always one built-in printer, "Print to PDF file", that writes each job to
// a new PDF file, so printing works on any machine. A Printers value says
// where they come from and how the program prints on them; the window and
// an unattended run make one at the start and pass it to what prints.
#pragma once

#include "core/Result.h"
#include "files/PdfDocument.h"
#include "printing/LabelPrinter.h"
#include "printing/PrintTarget.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

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
// The grids the built-in printer's PDFs may be drawn on: the resolution of
// the printer they are meant for (at 203 every module is whole dots of a
// 203-dpi label printer).
inline constexpr int kMinPdfDpi = 72, kMaxPdfDpi = 2400;

// The words every run uses for a printer it can't print on: "The printer
// "NAME" can't be used: " and the reason.
core::Failure UnusablePrinter(const QString& name, const core::Failure& why);

// Where the system's printers come from: Qt's list (CUPS, the Windows
// spooler) unless a test brings its own.
class PrinterCatalog {
public:
    virtual ~PrinterCatalog() = default;
    // Device names in the order the platform reports them.
    virtual QStringList DeviceNames() const = 0;
    // The system's default printer; empty when there is none.
    virtual QString DefaultDeviceName() const = 0;
    // Points a printer at the named installed printer; why not, when it can't.
    virtual core::Status Configure(QPrinter& printer, const QString& deviceName) const = 0;
    // True when the printers are CUPS queues: their jobs go to CUPS as PDF
    // documents on the queue's own page, and are followed there.
    virtual bool ThroughCups() const { return false; }
};

// Qt's view of the system's printers.
const PrinterCatalog& SystemPrinters();

// The folder the built-in printer writes to: $QUORVANE_PDF_DIR, else a
// "Quorvane" folder in the user's documents folder; empty when there is no
// home folder.
QString PdfFolder();

// Each printer's calibration, by its name.
using CalibrationLookup = std::function<Calibration(const QString& deviceName)>;
// Each printer's label setup (its language, darkness, speed, label size),
// by its name.
using LabelSetupLookup = std::function<LabelSetup(const QString& deviceName)>;

struct Printers {
    const PrinterCatalog* catalog = &SystemPrinters();
    // The built-in printer's folder; none: PdfFolder() as each job begins.
    QString pdfFolder;
    // The grid the built-in printer's PDFs are drawn on (see kPdfGridDpi).
    double pdfGridDpi = files::kPdfGridDpi;
    CalibrationLookup calibration; // none: no printer has one
    LabelSetupLookup labelSetup;   // none: no printer has one

    // The grid for a printer of `dpi`; a value outside [kMinPdfDpi,
    // kMaxPdfDpi] leaves it as it is.
    void SetPdfGridDpi(double dpi);

    // The system's printers in platform order, then the built-in one.
    QStringList Installed() const;
    // The system's default printer, else the built-in one.
    QString Default() const;
    // An installed printer's name, a queue's ipp:// or ipps:// URI, or a
    // network printer's socket:// address.
    bool IsKnown(const QString& name) const;
    // Why the system's printers can't be listed now: their print server
    // can't be reached (a printer not listed may still exist). Empty when
    // it answers, or when the printers are not CUPS queues.
    QString ServerProblem() const;
    // True when the named printer's jobs go to a CUPS queue through libcups.
    bool ThroughCups(const QString& name) const;
    // The calibration the named printer's jobs get (the built-in one has none).
    Calibration CalibrationOf(const QString& name) const;

    // The label setup the named printer's jobs get.
    LabelSetup LabelSetupOf(const QString& name) const;

    // The printer of that name to print on (an unknown name: the default).
    std::unique_ptr<PrintTarget> Open(const QString& name) const;
    // The named printer as a label printer written to in its language, or
    // none when its jobs go through a driver: a socket:// address always
    // is one; a CUPS queue is one when a language is set for it, when it
    // has no driver, or when it takes ZPL itself (LPrint), and then it
    // gets ZPL unless set otherwise.
    std::unique_ptr<LabelPrinter> OpenLabelPrinter(const QString& name) const;
    // The built-in printer writing its next jobs to `out` instead of new
    // files in its folder (an export that makes the file whole itself).
    std::unique_ptr<PrintTarget> OpenPdfTo(QIODevice& out) const;

    // The page a printer's jobs get, in words, as the window shows it under
    // the printer and `print --dry-run` tells it: "4 × 5 in label, 203 dpi,
    // printable to the edges" (a label printer adds its language: "..., in
    // ZPL"). Empty for a printer that does not say; why not, when it can't
    // be asked.
    core::Result<QString> PageSummary(const QString& name) const;
    // The dots per inch a printer's shapes land on (the built-in printer's
    // grid); none when it does not say or can't be asked.
    std::optional<double> GridDpiOf(const QString& name) const;
};

} // namespace printing
