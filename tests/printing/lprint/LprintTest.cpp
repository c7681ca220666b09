// LPrint as a peer: a ZPL label written by the program goes through a
// label printer application unchanged and prints the picture drawn, dot
// for dot; a PDF job, which LPrint takes and then aborts, is followed to
// its end and reported as failed. Each test starts its own LPrint
// (OwnLprint) and stops only that.
#include "files/LabelLanguage.h"
#include "graphics/Raster.h"
#include "printing/CupsQueue.h"
#include "printing/JobFollow.h"
#include "symbols/Generate.h"
#include "tests/printing/lprint/OwnLprint.h"
#include "tests/support/Decode.h"
#include "tests/support/LabelLanguages.h"

#include <QBuffer>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <cmath>

using testsupport::OwnLprint;

namespace {

#define SKIP_WITHOUT_LPRINT()                                                                                         \
    if (const QString missing = OwnLprint::Missing(); !missing.isEmpty())                                            \
    GTEST_SKIP() << missing.toStdString()

// Sends the bytes as one Print-Job of the format, named `name`: the job's
// id, or 0 with LPrint's answer in `error`.
int PrintJob(const OwnLprint& lprint, const QString& printer, const QByteArray& bytes, const char* format,
             const QString& name, QString& error)
{
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return error = QStringLiteral("the job could not be written to a file"), 0;
    http_t* http = httpConnect2("127.0.0.1", lprint.Port(), nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1, 30000, nullptr);
    if (!http)
        return error = QString::fromUtf8(cupsLastErrorString()), 0;
    ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, lprint.Uri(printer).toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, name.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, format);
    const QByteArray resource = "/ipp/print/" + printer.toUtf8();
    ipp_t* answer = cupsDoFileRequest(http, request, resource.constData(), file.fileName().toLocal8Bit().constData());
    ipp_attribute_t* id = answer ? ippFindAttribute(answer, "job-id", IPP_TAG_INTEGER) : nullptr;
    const int job = id ? ippGetInteger(id, 0) : 0;
    if (!job)
        error = QString::fromUtf8(cupsLastErrorString());
    ippDelete(answer);
    httpClose(http);
    return job;
}

} // namespace

TEST(LprintPeer, ZplLabel_PassesThroughUnchanged_AndPrintsThePictureDotForDot)
{
    SKIP_WITHOUT_LPRINT();
    OwnLprint lprint;
    ASSERT_TRUE(lprint.Running()) << lprint.Log().toStdString();
    QString said;
    ASSERT_TRUE(lprint.AddPrinter(QStringLiteral("Label"), QStringLiteral("zpl_4inch-203dpi-dt"), &said)) << said.toStdString();

    const symbols::SymbolRequest request = symbols::ReadSizeFields(symbols::Symbology::Code128B, QStringLiteral("QV-LPRINT-1"),
                                                                   QStringLiteral("1.4"), QStringLiteral("8"),
                                                                   QStringLiteral("500"), false);
    const QImage picture = graphics::RasterImage(symbols::GenerateSymbol(request).drawing.Cropped(), {203, 0});
    // The label as the queue says it: its default media (4 × 6 in) at its
    // resolution. Asking first also has LPrint read its printer's status
    // now: asked while a job starts, LPrint 1.1 can start that job twice
    // and abort it.
    QString error;
    const std::optional<printing::QueuePage> page = printing::QueuePageOf(lprint.Uri(QStringLiteral("Label")), error);
    ASSERT_TRUE(page) << error.toStdString();
    ASSERT_EQ(page->dpi, 203);
    files::LabelSettings settings;
    settings.width = static_cast<int>(std::lround(page->sizeMm.width() / 25.4 * page->dpi));
    settings.height = static_cast<int>(std::lround(page->sizeMm.height() / 25.4 * page->dpi));
    EXPECT_EQ(QSize(settings.width, settings.height), QSize(812, 1218));
    const core::Result<QByteArray> zpl = files::LabelBytes(files::LabelLanguage::Zpl, picture, settings);
    ASSERT_TRUE(zpl.ok()) << zpl.failure().text.toStdString();

    printing::CupsJob job;
    job.queue = lprint.Uri(QStringLiteral("Label"));
    job.id = PrintJob(lprint, QStringLiteral("Label"), *zpl, "application/vnd.zebra-zpl", QStringLiteral("quorvane-zpl"), error);
    ASSERT_GT(job.id, 0) << error.toStdString();
    const core::MaybeFailure waited = printing::WaitForJob(job, 60);
    ASSERT_FALSE(waited) << waited->text.toStdString() << "\n" << lprint.Log().toStdString();

    QFile printed(lprint.JobFile(QStringLiteral("quorvane-zpl")));
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly)) << printed.fileName().toStdString();
    const QByteArray bytes = printed.readAll();
    EXPECT_TRUE(bytes == *zpl) << "LPrint changed the label: " << bytes.left(200).toStdString();
    const auto labels = testsupport::ReadZplLabels(bytes);
    ASSERT_TRUE(labels.ok()) << labels.failure().text.toStdString();
    ASSERT_EQ(labels->size(), 1u);
    const QImage dots = labels->front().picture.copy(0, 0, picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            ASSERT_EQ(dots.constScanLine(y)[x] == 0, qGray(picture.pixel(x, y)) < 128) << "dot " << x << "," << y;
    const QImage framed = testsupport::WithQuietZone(dots);
    EXPECT_EQ(testsupport::DecodeOne(framed).text, "QV-LPRINT-1");
    EXPECT_EQ(testsupport::ZbarReadOne(framed), "QV-LPRINT-1");
}

TEST(LprintPeer, PdfJob_IsAbortedByLprint_AndFollowedToAFailure)
{
    SKIP_WITHOUT_LPRINT();
    OwnLprint lprint;
    ASSERT_TRUE(lprint.Running()) << lprint.Log().toStdString();
    QString said;
    ASSERT_TRUE(lprint.AddPrinter(QStringLiteral("Label"), QStringLiteral("zpl_4inch-203dpi-dt"), &said)) << said.toStdString();

    // A one-page PDF, sent as the program sends its CUPS jobs.
    QByteArray pdf("%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
                   "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 288 432]>>endobj\ntrailer<</Root 1 0 R>>\n%%EOF\n");
    QBuffer buffer(&pdf);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    QString error;
    std::optional<printing::CupsJob> job = printing::SubmitPdf(lprint.Uri(QStringLiteral("Label")), QStringLiteral("quorvane-pdf"), buffer, error);
    ASSERT_TRUE(job) << error.toStdString();

    const core::MaybeFailure waited = printing::WaitForJob(*job, 60);
    ASSERT_TRUE(waited) << "a job LPrint aborted was reported as printed";
    EXPECT_EQ(printing::PollJob(*job).phase, printing::JobPhase::Aborted);
    EXPECT_TRUE(waited->text.contains(QStringLiteral("aborted"))) << waited->text.toStdString();
    // LPrint opens the job's file before it finds it can't print the PDF: it stays empty.
    EXPECT_EQ(QFileInfo(lprint.JobFile(QStringLiteral("quorvane-pdf"))).size(), 0);
    printing::ForgetJob(*job);
}
