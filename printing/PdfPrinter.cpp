#include "printing/PdfPrinter.h"

#include "files/PdfDocument.h"
#include "files/PdfFile.h"
#include "printing/Printers.h"
#include "services/HomeFolder.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>

namespace printing {
namespace {

// The name of a job's PDF, from the time the job began.
QString PdfStem()
{
    return QStringLiteral("Quorvane-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QPageSize PdfPageSize(std::optional<QSizeF> paperMm)
{
    if (paperMm)
        return QPageSize(*paperMm, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    const bool imperial = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageSize(imperial ? QPageSize::Letter : QPageSize::A4);
}

const QMarginsF kMargins(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm);

// A job's PDF document, in a file of the folder that gets its name when the
// job is whole, or on the device given.
class PdfJob : public JobDevice {
public:
    PdfJob(QString folder, QString stem) : folder_(std::move(folder)), stem_(std::move(stem)) {}

    core::Status Create(QIODevice* given, const JobPage& page)
    {
        QIODevice* out = given;
        if (!out) {
            if (const core::Status created = file_.Create(folder_); created.failed())
                return created;
            out = file_.Device();
        }
        pdf_ = std::make_unique<files::PdfDocument>(
            out, QPageLayout(PdfPageSize(page.sheetMm), QPageLayout::Portrait, kMargins, QPageLayout::Millimeter),
            files::kPdfResolution);
        pdf_->SetTitle(QStringLiteral("Quorvane"));
        pdf_->SetCreator(QStringLiteral("Quorvane"));
        named_ = !given;
        return core::Ok();
    }

    QPaintDevice* Device() override { return pdf_.get(); }
    double Dpi() const override { return pdf_->logicalDpiX(); }
    QPointF SheetCorner() const override { return -QPointF(pdf_->PaintRect().topLeft()); }
    QSizeF PrintableSize() const override { return QSizeF(pdf_->width(), pdf_->height()); }

    core::Status NextPage(QPainter&) override
    {
        // A PDF that can't be written (a full disk) says so, and where; the
        // page that could not be started is only the symptom.
        const bool started = pdf_->NewPage();
        if (named_)
            if (const core::Status written = file_.Written(); written.failed())
                return written;
        if (!started)
            return core::Failure{core::kPrintFailed, QStringLiteral("a new page could not be started")};
        return core::Ok();
    }

    core::Result<JobDone> Finish(QPainter& painter) override
    {
        if (painter.isActive() && !painter.end())
            return core::Failure{core::kPrintFailed, QStringLiteral("the job could not be sent")};
        if (!named_)
            return JobDone{};
        // The file gets its name only when it is whole; a failed job leaves none.
        core::Result<QString> path = file_.Commit(stem_);
        if (path.failed()) {
            file_.Discard();
            return path.failure();
        }
        return JobDone{*path, std::nullopt, {}};
    }

    ~PdfJob() override { file_.Discard(); }

private:
    QString folder_, stem_;
    files::PdfFile file_;
    std::unique_ptr<files::PdfDocument> pdf_;
    bool named_ = false;
};

} // namespace

PdfPrinter::PdfPrinter(QString folder, double gridDpi) : folder_(std::move(folder)), gridDpi_(gridDpi) {}

PdfPrinter::PdfPrinter(QIODevice& out, double gridDpi) : out_(&out), gridDpi_(gridDpi) {}

QString PdfPrinter::Name() const { return kPdfPrinterName; }

core::Result<JobPage> PdfPrinter::PageFor(std::optional<QSizeF> paperMm) const
{
    const QSizeF sheet = PdfPageSize(paperMm).size(QPageSize::Millimeter);
    return JobPage{sheet, kMargins, sheet.shrunkBy(kMargins), gridDpi_, {}};
}

core::Result<PaintingTarget::OpenedJob> PdfPrinter::Open(std::optional<QSizeF> paperMm)
{
    const JobPage page = *PageFor(paperMm);
    if (!out_ && folder_.isEmpty())
        return core::Failure{core::kPrintFailed,
                             QStringLiteral("no folder for PDF files: %1").arg(services::HomeFolder().problem)};
    auto job = std::make_unique<PdfJob>(folder_, PdfStem());
    if (const core::Status created = job->Create(out_, page); created.failed())
        return created.failure();
    return OpenedJob{page, std::move(job)};
}

} // namespace printing
