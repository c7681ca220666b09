// LPrint as a peer: a ZPL label written by the program goes through a
// label printer application unchanged and prints the picture drawn, dot
// for dot; a PDF job, which LPrint takes and then aborts, is followed to
// its end and reported as failed. Each test starts its own LPrint
// (OwnLprint) and stops only that.
#include "files/LabelLanguage.h"
#include "graphics/Raster.h"
#include "printing/CupsQueue.h"
#include "printing/JobFollow.h"
#include "printing/Printers.h"
#include "symbols/Generate.h"
#include "tests/printing/lprint/OwnLprint.h"
#include "tests/support/Decode.h"
#include "tests/support/LabelLanguages.h"
#include "tests/support/TargetCases.h"

#include <QBuffer>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using testsupport::OwnLprint;

namespace {

// Every test: an LPrint of its own with the 4 in, 203 dpi ZPL printer
// "Label"; skipped where LPrint can't run.
class LprintPeer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const QString missing = OwnLprint::Missing(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        own_.emplace();
        ASSERT_TRUE(own_->Running()) << own_->Log().toStdString();
        QString said;
        ASSERT_TRUE(own_->AddPrinter(QStringLiteral("Label"), QStringLiteral("zpl_4inch-203dpi-dt"), &said)) << said.toStdString();
    }
    OwnLprint& lprint() { return *own_; }

private:
    std::optional<OwnLprint> own_;
};

} // namespace

TEST_F(LprintPeer, ZplLabel_PassesThroughUnchanged_AndPrintsThePictureDotForDot)
{

    const symbols::SymbolRequest request = symbols::ReadSizeFields(symbols::Symbology::Code128B, QStringLiteral("QV-LPRINT-1"),
                                                                   QStringLiteral("1.4"), QStringLiteral("8"),
                                                                   QStringLiteral("500"), false);
    const QImage picture = graphics::RasterImage(symbols::GenerateSymbol(request).drawing.Cropped(), {203, 0});
    // The label as the queue says it: its default media (4 × 6 in) at its
    // resolution. Asking first also has LPrint read its printer's status
    // now: asked while a job starts, LPrint 1.1 can start that job twice
    // and abort it.
    const core::Result<printing::QueuePage> page = printing::QueuePageOf(lprint().Uri(QStringLiteral("Label")));
    ASSERT_TRUE(page.ok()) << page.failure().text.toStdString();
    ASSERT_EQ(page->dpi, 203);
    files::LabelSettings settings;
    settings.width = static_cast<int>(std::lround(page->sizeMm.width() / 25.4 * page->dpi));
    settings.height = static_cast<int>(std::lround(page->sizeMm.height() / 25.4 * page->dpi));
    EXPECT_EQ(QSize(settings.width, settings.height), QSize(812, 1218));
    const core::Result<QByteArray> zpl = files::LabelBytes(files::LabelLanguage::Zpl, picture, settings);
    ASSERT_TRUE(zpl.ok()) << zpl.failure().text.toStdString();

    QByteArray bytes = *zpl;
    QBuffer label(&bytes);
    ASSERT_TRUE(label.open(QIODevice::ReadOnly));
    core::Result<printing::CupsJob> job = printing::SubmitDocument(
        lprint().Uri(QStringLiteral("Label")), QStringLiteral("quorvane-zpl"), label, "application/vnd.zebra-zpl");
    ASSERT_TRUE(job.ok()) << job.failure().text.toStdString();
    const core::Status waited = printing::WaitForJob(*job, 60);
    ASSERT_TRUE(waited.ok()) << waited.failure().text.toStdString() << "\n" << lprint().Log().toStdString();
    printing::ForgetJob(*job);

    QFile printed(lprint().JobFile(QStringLiteral("quorvane-zpl")));
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly)) << printed.fileName().toStdString();
    const QByteArray printedBytes = printed.readAll();
    EXPECT_TRUE(printedBytes == *zpl) << "LPrint changed the label: " << printedBytes.left(200).toStdString();
    const auto labels = testsupport::ReadZplLabels(printedBytes);
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

TEST_F(LprintPeer, PdfJob_IsAbortedByLprint_AndFollowedToAFailure)
{

    // A one-page PDF, sent as the program sends its CUPS jobs.
    QByteArray pdf("%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
                   "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 288 432]>>endobj\ntrailer<</Root 1 0 R>>\n%%EOF\n");
    QBuffer buffer(&pdf);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    core::Result<printing::CupsJob> job =
        printing::SubmitDocument(lprint().Uri(QStringLiteral("Label")), QStringLiteral("quorvane-pdf"), buffer, "application/pdf");
    ASSERT_TRUE(job.ok()) << job.failure().text.toStdString();

    const core::Status waited = printing::WaitForJob(*job, 60);
    ASSERT_TRUE(waited.failed()) << "a job LPrint aborted was reported as printed";
    EXPECT_EQ(printing::PollJob(*job).phase, printing::JobPhase::Aborted);
    EXPECT_TRUE(waited.failure().text.contains(QStringLiteral("aborted"))) << waited.failure().text.toStdString();
    // LPrint opens the job's file before it finds it can't print the PDF: it stays empty.
    EXPECT_EQ(QFileInfo(lprint().JobFile(QStringLiteral("quorvane-pdf"))).size(), 0);
    printing::ForgetJob(*job);
}

TEST_F(LprintPeer, LabelPrinter_SendsZplAsLprintTakesIt_AndPassesWhatEveryTargetDoes)
{

    const printing::Printers printers;
    std::unique_ptr<printing::LabelPrinter> label = printers.OpenLabelPrinter(lprint().Uri(QStringLiteral("Label")));
    ASSERT_NE(label, nullptr) << "LPrint lists application/vnd.zebra-zpl among its formats";
    const core::Result<printing::LabelPrinter::Label> size = label->LabelFor(std::nullopt);
    ASSERT_TRUE(size.ok()) << size.failure().text.toStdString();
    EXPECT_EQ(size->from, printing::LabelSizeFrom::Queue);
    EXPECT_EQ(size->Dots(), QSize(812, 1218)) << "its 4 × 6 in media at its 203 dpi";

    // Each job is written to a file of its own, named by the job's title
    // ("Quorvane-N"); LPrint's own status queries go to printer.prn.
    const QDir out = QFileInfo(lprint().JobFile(QStringLiteral("x"))).dir();
    QStringList seen;
    testsupport::TargetUnderTest t{std::move(label),
                                   [&](const printing::JobDone& done) -> std::vector<QImage> {
                                       const core::Status printed = testsupport::JobPrinted(done, 60);
                                       EXPECT_TRUE(printed.ok()) << printed.failure().text.toStdString() << "\n"
                                                                 << lprint().Log().toStdString();
                                       QStringList made = out.entryList({QStringLiteral("Quorvane-*.prn")}, QDir::Files);
                                       for (const QString& old : seen)
                                           made.removeAll(old);
                                       seen += made;
                                       EXPECT_EQ(made.size(), 1) << made.join(QLatin1Char(' ')).toStdString();
                                       if (made.size() != 1)
                                           return {};
                                       QFile f(out.filePath(made[0]));
                                       EXPECT_TRUE(f.open(QIODevice::ReadOnly));
                                       const auto labels = testsupport::ReadZplLabels(f.readAll());
                                       EXPECT_TRUE(labels.ok()) << labels.failure().text.toStdString();
                                       std::vector<QImage> pages;
                                       if (labels.ok())
                                           for (const testsupport::ReadLabel& l : *labels)
                                               pages.push_back(testsupport::WithQuietZone(l.picture));
                                       return pages;
                                   },
                                   true};
    testsupport::ExpectWhatEveryTargetDoes(t);
}
