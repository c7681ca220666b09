// Every print target passes the same cases (tests/support/TargetCases.h):
// the built-in PDF printer writing new files and writing to a device it is
// given, one of Qt's printers, and the preview of a printer's pages. CUPS
// queues pass them in tests/printing/cups.
#include "printing/PdfPrinter.h"
#include "printing/PreviewPrinter.h"
#include "printing/QtPrinter.h"
#include "tests/support/Pages.h"
#include "tests/support/PrintSupport.h"
#include "tests/support/TargetCases.h"

#include <QBuffer>

namespace {

constexpr int kDpi = 150;

struct PrintTargetTest : testsupport::PrintingTest {
    std::vector<QImage> Rendered(const QString& pdf)
    {
        EXPECT_FALSE(pdf.isEmpty());
        return testsupport::RenderPdf(pdf, kDpi);
    }
};

} // namespace

TEST_F(PrintTargetTest, BuiltInPdfPrinter_NewFilesInItsFolder)
{
    testsupport::TargetUnderTest t{std::make_unique<printing::PdfPrinter>(sandbox.pdfDir.path(), files::kPdfGridDpi),
                                   [this](const printing::JobDone& done) { return Rendered(done.pdfPath); }};
    testsupport::ExpectWhatEveryTargetDoes(t);
}

TEST_F(PrintTargetTest, BuiltInPdfPrinter_ToADeviceItIsGiven)
{
    QFile out(sandbox.pdfDir.filePath(QStringLiteral("given.pdf")));
    ASSERT_TRUE(out.open(QIODevice::ReadWrite));
    testsupport::TargetUnderTest t{std::make_unique<printing::PdfPrinter>(out, files::kPdfGridDpi),
                                   [&](const printing::JobDone& done) {
                                       EXPECT_TRUE(done.pdfPath.isEmpty()) << "no file of its own";
                                       out.flush();
                                       // The next job writes anew.
                                       std::vector<QImage> pages = Rendered(out.fileName());
                                       out.resize(0);
                                       out.seek(0);
                                       return pages;
                                   }};
    testsupport::ExpectWhatEveryTargetDoes(t);
}

TEST_F(PrintTargetTest, QtPrinter_OfTheCatalog)
{
    printers.names = {QStringLiteral("Office")};
    printers.resolution = 300;
    testsupport::TargetUnderTest t{std::make_unique<printing::QtPrinter>(printers, QStringLiteral("Office"), printing::Calibration{}),
                                   [this](const printing::JobDone&) { return Rendered(printers.jobs.back().pdf); }};
    testsupport::ExpectWhatEveryTargetDoes(t);
}

TEST_F(PrintTargetTest, Preview_OfTheBuiltInPrinter)
{
    printing::PdfPrinter pdf(sandbox.pdfDir.path(), files::kPdfGridDpi);
    testsupport::TargetUnderTest t{std::make_unique<printing::PreviewPrinter>(pdf, kDpi),
                                   [](const printing::JobDone& done) { return done.pages; }};
    testsupport::ExpectWhatEveryTargetDoes(t);
    EXPECT_TRUE(QDir(sandbox.pdfDir.path()).entryList(QDir::Files).isEmpty()) << "a preview prints nothing";
}
