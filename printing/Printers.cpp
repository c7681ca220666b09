#include "printing/Printers.h"

#include "core/Units.h"
#include "files/PdfDocument.h"
#include "files/PdfFile.h"
#include "services/HomeFolder.h"
#include "services/LocalPath.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace printing {
namespace {

// Qt's view of the system's printers: CUPS on Linux, the spooler on Windows.
// Jobs for CUPS queues go through libcups (CupsQueue); only the spooler's
// are printed by Qt.
class SystemCatalog : public PrinterCatalog {
public:
    QStringList DeviceNames() const override { return QPrinterInfo::availablePrinterNames(); }
    QString DefaultDeviceName() const override { return QPrinterInfo::defaultPrinterName(); }
    bool Configure(QPrinter& printer, const QString& deviceName, QString& error) const override
    {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(deviceName);
        if (!printer.isValid() || printer.printerName() != deviceName) {
            error = QStringLiteral("the printer is no longer installed");
            return false;
        }
        return true;
    }
    bool ThroughCups() const override { return CupsBuilt(); }
};

SystemCatalog g_system;
PrinterCatalog* g_catalog = &g_system;
std::function<void(const QString&)> g_pdfWritten;
double g_pdfGridDpi = files::kPdfGridDpi;

// The printer font: a fixed-pitch face keeps the columns of a text listing.
QFont PrinterFont()
{
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(10);
    return f;
}

// The name of a job's PDF, from the time the job began.
QString PdfStem()
{
    return QStringLiteral("Quorvane-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QPageSize PdfPageSize()
{
    const bool imperial = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageSize(imperial ? QPageSize::Letter : QPageSize::A4);
}

constexpr double kMmPerInch = 25.4;
CalibrationLookup g_calibration;

double InchesPerUnit(PrinterScale scale)
{
    switch (scale) {
    case PrinterScale::Twips: return 1.0 / core::kTwipsPerInch;
    case PrinterScale::Points: return 1.0 / 72.0;
    case PrinterScale::Inches: return 1.0;
    case PrinterScale::Millimeters: return 1.0 / (core::kCmPerInch * 10.0);
    case PrinterScale::Centimeters: return 1.0 / core::kCmPerInch;
    }
    return 1.0;
}

} // namespace

PrinterCatalog* SetPrinterCatalog(PrinterCatalog* catalog)
{
    PrinterCatalog* previous = g_catalog;
    g_catalog = catalog ? catalog : &g_system;
    CurrentPrinter().ResetToDefault();
    return previous;
}

QStringList InstalledPrinters()
{
    QStringList names = g_catalog->DeviceNames();
    names.append(kPdfPrinterName);
    return names;
}

bool IsKnownPrinter(const QString& name)
{
    return (IsQueueUri(name) && CupsBuilt()) || InstalledPrinters().contains(name);
}

bool PrintsThroughCups(const QString& deviceName)
{
    if (IsQueueUri(deviceName))
        return CupsBuilt();
    return g_catalog->ThroughCups() && deviceName != kPdfPrinterName;
}

void SetPdfGridDpi(double dpi)
{
    if (dpi >= kMinPdfDpi && dpi <= kMaxPdfDpi)
        g_pdfGridDpi = dpi;
}

double PdfGridDpi() { return g_pdfGridDpi; }

QString PageSummary(const QString& deviceName, QString& error)
{
    error.clear();
    if (deviceName == kPdfPrinterName && !g_catalog->DeviceNames().contains(deviceName)) {
        const QueuePage page{PdfPageSize().size(QPageSize::Millimeter),
                             QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm), 0};
        const QString grid = g_pdfGridDpi == files::kPdfGridDpi ? QStringLiteral("on a grid of 1/100 in")
                                                          : QStringLiteral("for a %1-dpi printer").arg(g_pdfGridDpi);
        return QStringLiteral("%1, %2, %3").arg(DescribePage(page), grid, DescribeMargins(page));
    }
    if (!PrintsThroughCups(deviceName))
        return {};
    const std::optional<QueuePage> page = QueuePageOf(deviceName, error);
    return page ? QStringLiteral("%1, %2").arg(DescribePage(*page), DescribeMargins(*page)) : QString();
}

QString PdfFolder()
{
    const QString over = services::EnvironmentPath("QUORVANE_PDF_DIR"); // by its bytes, as a file name
    if (!over.isEmpty())
        return over;
    // Without a home folder the documents folder would be /Documents.
    const services::Folder home = services::HomeFolder();
    if (home.path.isEmpty())
        return {};
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Qt reads HOME with bytes that are not UTF-8 made U+FFFD: the folder
    // it names under the home folder is put back under the real one.
    const QString qtHome = QDir::homePath();
    if (docs.isEmpty())
        docs = home.path;
    else if (qtHome != home.path && (docs == qtHome || docs.startsWith(qtHome + QLatin1Char('/'))))
        docs = home.path + docs.mid(qtHome.size());
    return QDir(docs).filePath(QStringLiteral("Quorvane"));
}

std::function<void(const QString&)> SetPdfWrittenHandler(std::function<void(const QString&)> handler)
{
    auto previous = std::move(g_pdfWritten);
    g_pdfWritten = std::move(handler);
    return previous;
}

// ------------------------------------------------------------------ Printer

struct Printer::Doc {
    std::unique_ptr<QPrinter> printer; // a system printer
    files::PdfFile pdfFile;                   // the built-in printer's file while it is written
    std::unique_ptr<QTemporaryFile> cupsFile; // a CUPS job's document while it is drawn
    std::unique_ptr<files::PdfDocument> pdf;  // the built-in printer's, or a CUPS job's document
    int pdfResolution = files::kPdfResolution;
    bool builtIn = false;
    bool givenDevice = false; // the built-in printer writes to a device it was given
    QString pdfStem;
    QPainter painter;
    QString deviceName;
    bool failed = false;
    double dpi = 0;
    graphics::DeviceGrid grid;
    double pageWidthInches = 0, pageHeightInches = 0;
    double lineInches = 0, ascentInches = 0, charInches = 0;
    // A preview draws the pages on pictures of the whole sheet, the
    // painter's origin at the printable area's corner as on the printer.
    bool preview = false;
    QImage page;
    std::vector<QImage> pages;
    QSizeF paperMm;
    QMarginsF marginsMm;
    // The calibration as the painter applies it: points scaled about the
    // sheet's corner and shifted, in device units from the printable
    // area's corner.
    double calScale = 1;
    QPointF calOffset;

    QPaintDevice* device() const
    {
        return pdf ? static_cast<QPaintDevice*>(pdf.get()) : static_cast<QPaintDevice*>(printer.get());
    }
    bool NewDevicePage()
    {
        return pdf ? pdf->NewPage() : printer->newPage();
    }
    QPaintDevice* paintDevice() { return preview ? static_cast<QPaintDevice*>(&page) : device(); }
    QPointF Calibrated(QPointF p) const { return p * calScale + calOffset; }
    void NewPreviewPage()
    {
        page = QImage(qRound(paperMm.width() / kMmPerInch * dpi), qRound(paperMm.height() / kMmPerInch * dpi),
                      QImage::Format_RGB32);
        page.setDotsPerMeterX(qRound(dpi / kMmPerInch * 1000));
        page.setDotsPerMeterY(qRound(dpi / kMmPerInch * 1000));
        page.fill(Qt::white);
    }
    bool BeginPainting(const QFont& font)
    {
        if (!painter.begin(paintDevice()))
            return false;
        if (preview)
            painter.translate(marginsMm.left() / kMmPerInch * dpi, marginsMm.top() / kMmPerInch * dpi);
        painter.setFont(font);
        painter.setPen(Qt::black);
        return true;
    }
};

Printer::Printer() = default;
Printer::~Printer() { KillDoc(); }

QString Printer::DeviceName() const
{
    if (deviceName_.isEmpty())
        const_cast<Printer*>(this)->ResetToDefault();
    return deviceName_;
}

void Printer::ResetToDefault()
{
    const QString def = g_catalog->DefaultDeviceName();
    deviceName_ = !def.isEmpty() && g_catalog->DeviceNames().contains(def) ? def : kPdfPrinterName;
}

bool Printer::SelectByName(const QString& name)
{
    // A queue of a print server, named by its URI, needs no installing.
    if (IsQueueUri(name) && CupsBuilt()) {
        deviceName_ = name;
        return true;
    }
    for (const QString& installed : InstalledPrinters()) {
        if (installed == name) {
            deviceName_ = installed;
            return true;
        }
    }
    return false;
}

double Printer::unitsPerInch() const { return 1.0 / InchesPerUnit(scale_); }

void Printer::fail(Doc& doc, const QString& reason)
{
    if (doc.failed)
        return;
    doc.failed = true;
    error_ = QStringLiteral("The printer \"%1\" failed: %2").arg(doc.deviceName, reason);
}

core::MaybeFailure Printer::Outcome(const Doc& doc) const
{
    return doc.failed ? core::MaybeFailure(core::Failure{core::kPrintFailed, error_}) : std::nullopt;
}

bool Printer::DocFailed() const { return doc_ && doc_->failed; }

bool Printer::ensureDoc()
{
    if (doc_)
        return !doc_->failed;
    error_.clear();
    // Whoever follows the last job keeps it (CUPS drops what it keeps for
    // following a job once the job has ended).
    lastJob_.reset();
    doc_ = std::make_unique<Doc>();
    Doc& d = *doc_;
    d.deviceName = DeviceName();
    const double previewDpi = previewDpi_;
    d.preview = previewDpi > 0;

    QString reason;
    const bool builtIn = d.deviceName == kPdfPrinterName && !g_catalog->DeviceNames().contains(d.deviceName);
    d.builtIn = builtIn;
    double gridDpi = 0;
    const auto wrongPaper = [&](QSizeF pageMm, const QString& page) {
        if (!paper_ || (std::abs(paper_->width() - pageMm.width()) <= 1 && std::abs(paper_->height() - pageMm.height()) <= 1))
            return false;
        fail(d, QStringLiteral("it prints on %1, not on the %2 × %3 mm sheets asked for")
                    .arg(page, QString::number(paper_->width()), QString::number(paper_->height())));
        return true;
    };
    if (builtIn) {
        const QPageSize size = paper_ ? QPageSize(*paper_, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch)
                                      : PdfPageSize();
        d.paperMm = size.size(QPageSize::Millimeter);
        d.marginsMm = QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm);
        gridDpi = g_pdfGridDpi;
        QIODevice* const given = std::exchange(pdfDevice_, nullptr);
        QIODevice* out = nullptr;
        if (!d.preview && given) {
            out = given;
            d.givenDevice = true;
        } else if (!d.preview) {
            const QString folder = PdfFolder();
            if (folder.isEmpty())
                reason = QStringLiteral("no folder for PDF files: %1").arg(services::HomeFolder().problem);
            if (folder.isEmpty() || !d.pdfFile.Create(folder, reason)) {
                fail(d, reason);
                return false;
            }
            d.pdfStem = PdfStem();
            out = d.pdfFile.Device();
        }
        if (out)
            d.pdf = std::make_unique<files::PdfDocument>(
                out, QPageLayout(size, QPageLayout::Portrait, d.marginsMm, QPageLayout::Millimeter), files::kPdfResolution);
    } else if (PrintsThroughCups(d.deviceName)) {
        // Qt draws the job as a PDF on the queue's own page, at its own
        // dots; CUPS carries it (Qt's own CUPS printing would send every
        // job on an office sheet at 1200 dpi).
        const std::optional<QueuePage> page = QueuePageOf(d.deviceName, reason);
        if (!page) {
            fail(d, reason);
            return false;
        }
        if (wrongPaper(page->sizeMm, DescribePage(*page)))
            return false;
        d.paperMm = page->sizeMm;
        d.marginsMm = page->marginsMm;
        d.pdfResolution = page->dpi > 0 ? page->dpi : files::kPdfResolution;
        gridDpi = d.pdfResolution;
        if (!d.preview) {
            d.cupsFile =
                std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("quorvane-job-XXXXXX.pdf")));
            if (!d.cupsFile->open()) {
                fail(d, QStringLiteral("the job's document can't be made in %1: %2")
                            .arg(QDir::toNativeSeparators(QDir::tempPath()), d.cupsFile->errorString()));
                return false;
            }
            d.pdf = std::make_unique<files::PdfDocument>(
                d.cupsFile.get(),
                QPageLayout(QPageSize(page->sizeMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                            QPageLayout::Portrait, page->marginsMm, QPageLayout::Millimeter, QMarginsF()),
                d.pdfResolution);
        }
    } else {
        d.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        d.printer->setDocName(QStringLiteral("Quorvane"));
        if (!g_catalog->Configure(*d.printer, d.deviceName, reason)) {
            fail(d, reason);
            return false;
        }
        if (paper_)
            d.printer->setPageSize(QPageSize(*paper_, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch));
        const QPageLayout layout = d.printer->pageLayout();
        d.paperMm = layout.fullRect(QPageLayout::Millimeter).size();
        d.marginsMm = layout.margins(QPageLayout::Millimeter);
        if (wrongPaper(d.paperMm, QStringLiteral("%1 × %2 mm").arg(d.paperMm.width()).arg(d.paperMm.height())))
            return false;
        gridDpi = d.printer->resolution();
        if (d.preview)
            d.printer.reset();
    }
    if (d.pdf) {
        d.pdf->SetTitle(QStringLiteral("Quorvane"));
        d.pdf->SetCreator(QStringLiteral("Quorvane"));
    }

    if (d.preview) {
        d.dpi = previewDpi;
        d.NewPreviewPage();
    }
    if (!d.BeginPainting(QFont(PrinterFont(), d.paintDevice()))) {
        fail(d, builtIn ? QStringLiteral("cannot write in %1").arg(QDir::toNativeSeparators(PdfFolder()))
                     : QStringLiteral("the print job could not be started"));
        return false;
    }
    if (!d.preview)
        d.dpi = d.device()->logicalDpiX();
    // A printer's dots are its resolution; a PDF's are the grid it is made
    // for. Either grid starts at the corner of the sheet, which lies outside
    // the printable area the painter starts at.
    d.grid = graphics::DeviceGrid{d.dpi, builtIn ? gridDpi : (d.preview ? gridDpi : d.dpi), {}};
    d.grid.origin = -QPointF(d.marginsMm.left(), d.marginsMm.top()) / kMmPerInch * d.dpi;
    if (!d.preview)
        d.grid.origin = d.pdf ? -QPointF(d.pdf->PaintRect().topLeft())
                              : -d.printer->pageRect(QPrinter::DevicePixel).topLeft();
    const Calibration cal = builtIn ? Calibration{} : CalibrationOf(d.deviceName);
    d.calScale = cal.scalePercent / 100;
    d.grid.scale = d.calScale;
    // A point p of the printable area is the sheet's p + m; the printer puts
    // that at (p + m) × s + shift, which is p × s + m × (s − 1) + shift.
    d.calOffset = -d.grid.origin * (d.calScale - 1) + QPointF(cal.shiftXMm, cal.shiftYMm) / kMmPerInch * d.dpi;
    d.pageWidthInches = (d.paperMm.width() - d.marginsMm.left() - d.marginsMm.right()) / kMmPerInch;
    d.pageHeightInches = (d.paperMm.height() - d.marginsMm.top() - d.marginsMm.bottom()) / kMmPerInch;
    if (!d.preview) {
        d.pageWidthInches = d.device()->width() / d.dpi;
        d.pageHeightInches = d.device()->height() / d.dpi;
    }
    const QFontMetricsF fm = d.painter.fontMetrics();
    d.lineInches = fm.lineSpacing() / d.dpi;
    d.ascentInches = fm.ascent() / d.dpi;
    d.charInches = std::max(fm.averageCharWidth(), 1.0) / d.dpi;
    xInches_ = yInches_ = 0;
    return true;
}

double Printer::ScaleWidth() { return ensureDoc() ? doc_->pageWidthInches * unitsPerInch() : 0; }
double Printer::ScaleHeight() { return ensureDoc() ? doc_->pageHeightInches * unitsPerInch() : 0; }
double Printer::PaperLeft() { return ensureDoc() ? -doc_->grid.origin.x() / doc_->dpi * unitsPerInch() : 0; }
double Printer::PaperTop() { return ensureDoc() ? -doc_->grid.origin.y() / doc_->dpi * unitsPerInch() : 0; }
QSizeF Printer::SheetMm() { return ensureDoc() ? doc_->paperMm : QSizeF(); }
double Printer::TextHeight() { return ensureDoc() ? doc_->lineInches * unitsPerInch() : 0; }

double Printer::CurrentX() const { return xInches_ * unitsPerInch(); }
double Printer::CurrentY() const { return yInches_ * unitsPerInch(); }

void Printer::MoveDownTo(double y)
{
    const double inches = y * InchesPerUnit(scale_);
    if (inches > yInches_)
        yInches_ = inches;
}

void Printer::PaintDrawing(const graphics::Drawing& drawing, double x, double y)
{
    if (!ensureDoc() || drawing.IsEmpty())
        return;
    Doc& d = *doc_;
    const double inchesPerUnit = InchesPerUnit(scale_);
    graphics::Replay(drawing, d.painter, d.Calibrated(QPointF(x * inchesPerUnit * d.dpi, y * inchesPerUnit * d.dpi)), d.grid);
}

double Printer::DrawingWidth(const graphics::Drawing& drawing)
{
    return ensureDoc() ? graphics::ReplayedSize(drawing, doc_->grid).width() / doc_->dpi * unitsPerInch() : 0;
}

double Printer::DrawingHeight(const graphics::Drawing& drawing)
{
    return ensureDoc() ? graphics::ReplayedSize(drawing, doc_->grid).height() / doc_->dpi * unitsPerInch() : 0;
}

void Printer::Print(const QString& text)
{
    if (!ensureDoc())
        return;
    const Doc& d = *doc_;
    // Text past the right edge of the page is never seen; drawing it would
    // only cost time on very long lines.
    const qsizetype maxChars = static_cast<qsizetype>(2 * d.pageWidthInches / d.charInches) + 16;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        if (yInches_ > 0 && yInches_ + d.lineInches > d.pageHeightInches + 1e-9)
            NewPage();
        if (!doc_ || doc_->failed)
            return;
        if (!line.trimmed().isEmpty()) { // blanks leave no mark
            QPainter& painter = doc_->painter;
            const QPointF at(xInches_ * d.dpi, (yInches_ + d.ascentInches) * d.dpi);
            const auto draw = [&] {
                graphics::DrawTextLine(painter, at, line.left(maxChars));
            };
            if (d.calScale == 1 && d.calOffset.isNull()) { // most printers: no state to save
                draw();
            } else {
                painter.save();
                painter.translate(d.calOffset);
                painter.scale(d.calScale, d.calScale);
                draw();
                painter.restore();
            }
        }
        xInches_ = 0;
        yInches_ += d.lineInches;
    }
}

void Printer::PaintLineMm(const QLineF& sheetMm, double widthMm)
{
    if (!ensureDoc())
        return;
    Doc& d = *doc_;
    const auto at = [&d](QPointF mm) { return d.Calibrated(mm / kMmPerInch * d.dpi + d.grid.origin); };
    d.painter.save();
    d.painter.setPen(QPen(Qt::black, widthMm / kMmPerInch * d.dpi * d.calScale, Qt::SolidLine, Qt::FlatCap));
    d.painter.drawLine(at(sheetMm.p1()), at(sheetMm.p2()));
    d.painter.restore();
}

void Printer::PaintTextMm(const QPointF& at, const QString& text)
{
    if (!ensureDoc())
        return;
    Doc& d = *doc_;
    d.painter.save();
    d.painter.translate(d.Calibrated(at / kMmPerInch * d.dpi + d.grid.origin));
    d.painter.scale(d.calScale, d.calScale);
    d.painter.drawText(QPointF(0, 0), text);
    d.painter.restore();
}

void Printer::NewPage()
{
    if (!ensureDoc())
        return;
    xInches_ = yInches_ = 0;
    if (doc_->preview) {
        const QFont font = doc_->painter.font();
        doc_->painter.end();
        doc_->pages.push_back(doc_->page.convertToFormat(QImage::Format_Grayscale8));
        doc_->NewPreviewPage();
        doc_->BeginPainting(font);
        return;
    }
    // A PDF that can't be written (a full disk) says so, and where; the
    // page that could not be started is only the symptom.
    const bool started = doc_->NewDevicePage();
    if (doc_->builtIn && !doc_->pdfFile.WriteError().isEmpty())
        fail(*doc_, QStringLiteral("cannot write in %1 (%2)")
                        .arg(QDir::toNativeSeparators(PdfFolder()), doc_->pdfFile.WriteError()));
    else if (!started)
        fail(*doc_, QStringLiteral("a new page could not be started"));
}

core::MaybeFailure Printer::EndDoc()
{
    if (!doc_)
        return std::nullopt;
    std::unique_ptr<Doc> doc = std::move(doc_);
    xInches_ = yInches_ = 0;
    if (doc->preview) {
        if (doc->painter.isActive())
            doc->painter.end();
        doc->pages.push_back(doc->page.convertToFormat(QImage::Format_Grayscale8));
        if (!doc->failed)
            for (QImage& page : doc->pages)
                preview_.push_back(std::move(page));
        previewPaper_ = doc->paperMm;
        previewPrintable_ = QRectF(doc->marginsMm.left(), doc->marginsMm.top(),
                                   doc->paperMm.width() - doc->marginsMm.left() - doc->marginsMm.right(),
                                   doc->paperMm.height() - doc->marginsMm.top() - doc->marginsMm.bottom());
        return Outcome(*doc);
    }
    if (doc->failed && doc->printer && doc->painter.isActive())
        doc->printer->abort(); // a half-made job is not sent
    if (doc->painter.isActive() && !doc->painter.end())
        fail(*doc, QStringLiteral("the job could not be sent"));
    if (doc->printer && doc->printer->printerState() == QPrinter::Error)
        fail(*doc, QStringLiteral("the printer reported an error"));
    if (doc->cupsFile) {
        QString reason;
        if (!doc->failed && (!doc->cupsFile->flush() || doc->cupsFile->error() != QFileDevice::NoError))
            fail(*doc, QStringLiteral("the job's document could not be written: %1").arg(doc->cupsFile->errorString()));
        else if (!doc->failed && !(lastJob_ = SubmitPdf(doc->deviceName, QStringLiteral("Quorvane"), *doc->cupsFile, reason)))
            fail(*doc, reason);
    }
    if (doc->builtIn && !doc->givenDevice) {
        // The file gets its name only when it is whole; a failed job leaves none.
        QString reason;
        const QString path = doc->failed ? QString() : doc->pdfFile.Commit(doc->pdfStem, reason);
        if (path.isEmpty()) {
            fail(*doc, reason);
            doc->pdfFile.Discard();
        } else if (g_pdfWritten) {
            g_pdfWritten(path);
        }
    }
    return Outcome(*doc);
}

void Printer::KillDoc()
{
    if (!doc_)
        return;
    std::unique_ptr<Doc> doc = std::move(doc_);
    xInches_ = yInches_ = 0;
    if (doc->printer && doc->painter.isActive())
        doc->printer->abort();
    if (doc->painter.isActive())
        doc->painter.end();
    doc->pdfFile.Discard();
}

std::vector<QImage> Printer::TakePreview() { return std::exchange(preview_, {}); }

CalibrationLookup SetCalibrationLookup(CalibrationLookup lookup) { return std::exchange(g_calibration, std::move(lookup)); }

Calibration CalibrationOf(const QString& deviceName)
{
    if (deviceName == kPdfPrinterName || !g_calibration)
        return {};
    return g_calibration(deviceName);
}

Printer& CurrentPrinter()
{
    static Printer printer;
    return printer;
}

} // namespace printing
