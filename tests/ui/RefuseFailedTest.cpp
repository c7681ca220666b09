// A symbol whose Generate failed is no barcode: Print, Copy and Run It
// refuse it with the reason, nothing is printed or copied, and the reason
// stands under the drawing; a listing prints no barcode under its line.
#include "jobs/PrintJobs.h"
#include "printing/BatchPrint.h"
#include "tests/support/Decode.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

struct RefuseFailedTest : testsupport::PrintingTest {
    testsupport::SteppingClock clock{0.25};
    ui::Form1 form{testsupport::PrintingWindow(*this, &clock)};
    void SetUp() override { form.Form_Load(); }
};

} // namespace

TEST_F(RefuseFailedTest, PrintCopyAndRunIt_RefuseAFailedSymbol_AndSayWhy)
{
    struct Case {
        const char* option;
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"Option8", "ABC12", "Code is not 11 Digits"},            // the message is in UPC's picture
        {"Option5", "12A4", "Subscript out of range"},            // half a symbol drawn
        {"Option9", "12345", "EAN needs at least 7 characters"},  // a blank box
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        testsupport::Radio(form, c.option)->setChecked(true);
        testsupport::Line(form, "Text1")->setText(QString::fromLatin1(c.text));
        EXPECT_TRUE(testsupport::Label(form, "ScanStatus")->text().startsWith(QStringLiteral("\u2716 "))) << testsupport::Label(form, "ScanStatus")->text().toStdString();
        EXPECT_TRUE(testsupport::Label(form, "ScanStatus")->text().contains(QLatin1String(c.reason))) << testsupport::Label(form, "ScanStatus")->text().toStdString();
        messages.texts.clear();

        form.Command2_Click();
        form.Command9_Click();
        ASSERT_EQ(messages.texts.size(), 2) << messages.texts.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(messages.texts[0].startsWith(QLatin1String("There is no barcode to print: ")));
        EXPECT_TRUE(messages.texts[1].startsWith(QLatin1String("There is no barcode to copy: ")));
        EXPECT_TRUE(messages.texts[0].contains(QLatin1String(c.reason)));

        messages.texts.clear();
        testsupport::Line(form, "Text21")->setText(QStringLiteral("7"));
        testsupport::Line(form, "Text22")->setText(QStringLiteral("9"));
        form.Command8_Click(); // the labels are the text and 7, 8: none is a symbol
        ASSERT_EQ(messages.texts.size(), 1) << messages.texts.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(messages.texts[0].contains(QLatin1String(c.reason))) << messages.texts[0].toStdString();
        EXPECT_EQ(testsupport::Line(form, "Text21")->text(), QStringLiteral("7")) << "From holds the first label not printed";
        EXPECT_EQ(testsupport::Line(form, "Text1")->text(), QString::fromLatin1(c.text)) << "the text typed is put back";
    }
    EXPECT_TRUE(sandbox.written.isEmpty());
    EXPECT_TRUE(printers.jobs.empty());
}

TEST_F(RefuseFailedTest, Listing_PrintsNoBarcodeUnderAFailedLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("upc.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("*03600029145\r\n*ABC12\r\n*12345678901\r\n");
    f.close();
    symbols::SymbolRequest upc;
    upc.symbology = symbols::Symbology::UpcA;
    const std::unique_ptr<printing::PrintTarget> printer = sandbox.Printers().Open(printing::kPdfPrinterName);
    const core::Result<printing::Listing> r = printing::PrintListing(
        {path, QStringLiteral("*"), false}, *printer, [&](const QString& code) { return jobs::ListingBarcode(upc, code); });
    ASSERT_TRUE(r.ok());
    sandbox.Keep(r->done);
    EXPECT_EQ(r->linesNotAsAsked, 1);
    ASSERT_EQ(sandbox.written.size(), 1);
    const auto pages = testsupport::RenderPdf(sandbox.written[0], 300);
    ASSERT_EQ(pages.size(), 1u);
    const auto found = testsupport::DecodeAll(pages[0], ZXing::BarcodeFormat::UPCA);
    EXPECT_EQ(found.size(), 2u) << "the two good codes";
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {sandbox.written[0], QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QLatin1String("ABC12"))) << "the line itself prints";
    EXPECT_FALSE(printed.contains(QLatin1String("Code is not 11 Digits"))) << "UPC's message is no barcode";
}
