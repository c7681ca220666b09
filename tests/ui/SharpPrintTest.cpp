// What a printed page holds: every barcode as shapes on the printer's dots
// (no picture), readable by two renderers at the resolutions label and
// office printers have, with every bar and space a whole number of dots.
#include "jobs/StoredOptions.h"
#include "services/Messages.h"
#include "tests/support/Decode.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

using testsupport::Renderer;

namespace {

struct SharpPrintTest : testsupport::PrintingTest {
    QTemporaryDir dir;
    ui::Form1 form{testsupport::PrintingWindow(*this)};

    void SetUp() override
    {
        form.Form_Load();
        testsupport::Line(form, "Text4")->setText(QStringLiteral("*"));
    }

    QString printListing(const QStringList& codes)
    {
        QFile f(dir.filePath(QStringLiteral("codes.txt")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        for (const QString& c : codes)
            f.write("Item\r\n*" + c.toLatin1() + "\r\n");
        f.write("End\r\n");
        f.close();
        testsupport::Line(form, "Text5")->setText(f.fileName());
        sandbox.written.clear();
        form.Command4_Click();
        return sandbox.written.value(0);
    }
};

struct SymbologyRow {
    const char* option;
    QStringList texts;
    ZXing::BarcodeFormats format;
    std::vector<std::string> expected;
    std::vector<int> dpis;
};

// Every run along the symbol's row is a whole number of its narrowest
// run: the module lands on whole dots and equal widths stay equal.
void ExpectWholeModules(const QImage& page, const testsupport::Decoded& d, int dpi)
{
    const auto runs = testsupport::RunsFrom(page, d.left, d.Middle(), dpi / 10);
    ASSERT_GT(runs.size(), 20u);
    const int module = *std::min_element(runs.begin(), runs.end());
    for (int r : runs)
        ASSERT_EQ(r % module, 0) << d.text << " at " << dpi << " dpi: a run of " << r << " dots, module " << module;
}

} // namespace

TEST_F(SharpPrintTest, EverySymbology_PrintsAsShapesThatScanAtEveryResolution)
{
    const SymbologyRow rows[] = {
        {"Option1", {"QV-0001", "Label 2", "a~Z 9"}, ZXing::BarcodeFormat::Code128,
         {"QV-0001", "Label 2", "a~Z 9"}, {203, 300, 600}},
        // Code 39's wide-to-narrow ratio of 2 needs whole dots: not at 203 dpi with one-pixel modules.
        {"Option2", {"QV-0001", "LABEL 2"}, ZXing::BarcodeFormat::Code39, {"QV-0001", "LABEL 2"}, {300, 600}},
        {"Option4", {"QV-0001"}, ZXing::BarcodeFormat::Code128, {"QV-0001"}, {203, 300, 600}},
        {"Option5", {"123456", "98765432"}, ZXing::BarcodeFormat::ITF, {"123456", "98765432"}, {203, 300, 600}},
        {"Option8", {"03600029145"}, ZXing::BarcodeFormat::UPCA, {"036000291452"}, {203, 300, 600}},
        {"Option9", {"400638133393", "1234567"}, ZXing::BarcodeFormat::EAN13 | ZXing::BarcodeFormat::EAN8,
         {"4006381333931", "12345670"}, {203, 300, 600}},
    };
    for (const SymbologyRow& r : rows) {
        SCOPED_TRACE(testsupport::Radio(form, r.option)->text().toStdString());
        testsupport::Radio(form, r.option)->setChecked(true);
        const bool ean = std::string_view(r.option) == "Option9"; // its boxes are bar length and font size
        testsupport::Line(form, "Text3")->setText(ean ? QStringLiteral("40") : QStringLiteral("8"));
        testsupport::Line(form, "Text8")->setText(ean ? QStringLiteral("8") : QStringLiteral("1.4"));

        // One barcode with Print, all of them in a listing.
        testsupport::Line(form, "Text1")->setText(r.texts.first());
        sandbox.written.clear();
        form.Command2_Click();
        ASSERT_EQ(sandbox.written.size(), 1) << messages.texts.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(testsupport::PdfImages(sandbox.written[0]), QStringList()) << "Print";
        const QString listing = printListing(r.texts);
        ASSERT_FALSE(listing.isEmpty());
        EXPECT_EQ(testsupport::PdfImages(listing), QStringList()) << "Print File";

        for (const Renderer renderer : {Renderer::Poppler, Renderer::Ghostscript}) {
            for (const int dpi : r.dpis) {
                SCOPED_TRACE(std::to_string(dpi) + (renderer == Renderer::Poppler ? " dpi, poppler" : " dpi, ghostscript"));
                const auto pages = testsupport::RenderPdf(listing, dpi, renderer);
                ASSERT_EQ(pages.size(), 1u);
                const auto found = testsupport::DecodeAll(pages[0], r.format);
                std::vector<std::string> read;
                for (const auto& d : found)
                    read.push_back(d.text);
                // Ghostscript paints every pixel a shape touches, so at 203 dpi,
                // where a 1/100-inch module is 2.03 dots, every bar gains a dot:
                // one-dot spaces between three-dot bars. zbar, which measures
                // from edge to like edge, still reads Code 128 symbols of
                // one-pixel modules (Code 128 B, and Code 128-1 at the stored
                // width "500"); zxing-cpp does not.
                if (renderer == Renderer::Ghostscript && dpi == 203 && r.format == ZXing::BarcodeFormat::Code128) {
                    auto sorted = r.expected;
                    std::sort(sorted.begin(), sorted.end());
                    EXPECT_EQ(testsupport::ZbarDecodeAll(pages[0]), sorted);
                } else {
                    EXPECT_EQ(read, r.expected);
                }
                if (dpi != 203)
                    for (const auto& d : found)
                        ExpectWholeModules(pages[0], d, dpi);
            }
        }
    }
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
}

// A system printer's own dots: a 203-dpi label printer gets modules of whole dots.
TEST_F(SharpPrintTest, SystemPrinterAt203Dpi_ModulesAreWholeDots)
{
    printers.names = {QStringLiteral("Label203")};
    printers.defaultName = printers.names[0];
    printers.resolution = 203;
    form.FillPrinterList();
    testsupport::Radio(form, "Option1")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("QV-0001"));
    form.Command2_Click();
    ASSERT_EQ(printers.jobs.size(), 1u);
    const auto pages = testsupport::RenderPdf(printers.jobs[0].pdf, 203);
    ASSERT_EQ(pages.size(), 1u);
    const auto d = testsupport::DecodeOne(pages[0], ZXing::BarcodeFormat::Code128);
    EXPECT_EQ(d.text, "QV-0001");
    ExpectWholeModules(pages[0], d, 203);
    const auto runs = testsupport::RunsFrom(pages[0], d.left, d.Middle(), 20);
    EXPECT_EQ(*std::min_element(runs.begin(), runs.end()), 2) << "a 1/96-inch module is 2 dots at 203 dpi";
}

// A PDF of the built-in printer set to a label printer's 203 dpi is drawn
// on that printer's dots: Ghostscript, which paints every dot a shape
// touches, keeps every module whole there, and the setting is stored.
TEST_F(SharpPrintTest, PdfPrinterSetTo203Dpi_GhostscriptAt203KeepsModulesWhole)
{
    form.SetPdfResolution(203);
    EXPECT_EQ(jobs::ReadStoredOptions().pdfDpi, 203);
    EXPECT_TRUE(testsupport::Label(form, "PrinterPage")->toolTip().contains(QStringLiteral("for a 203-dpi printer"))) << testsupport::Label(form, "PrinterPage")->toolTip().toStdString();
    testsupport::Radio(form, "Option1")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("QV-0203"));
    sandbox.written.clear();
    form.Command2_Click();
    ASSERT_EQ(sandbox.written.size(), 1);
    const auto pages = testsupport::RenderPdf(sandbox.written[0], 203, Renderer::Ghostscript);
    ASSERT_EQ(pages.size(), 1u);
    const auto d = testsupport::DecodeOne(pages[0], ZXing::BarcodeFormat::Code128);
    EXPECT_EQ(d.text, "QV-0203");
    ExpectWholeModules(pages[0], d, 203);
}

// The listing starts inside the printable area, and the line after a
// barcode starts below it, however tall the barcode is.
TEST_F(SharpPrintTest, Listing_StartsInThePrintableArea_AndTextNeverRunsIntoABarcode)
{
    struct Row {
        const char* option;
        const char* text3;
        const char* text8;
        const char* code;
        const char* why;
    };
    const Row rows[] = {
        {"Option9", "200", "8", "4006381333", "EAN with bars 200 units long and its guards"},
        {"Option2", "8", "9", "A1", "Code 39 with a height factor of 9"},
        {"Option2", "8", "1.4", "A1", "a barcode shorter than the four lines after it"},
    };
    for (const Row& r : rows) {
        testsupport::Radio(form, r.option)->setChecked(true);
        testsupport::Line(form, "Text3")->setText(QString::fromLatin1(r.text3));
        testsupport::Line(form, "Text8")->setText(QString::fromLatin1(r.text8));
        const QString pdf = printListing({QString::fromLatin1(r.code)});
        ASSERT_FALSE(pdf.isEmpty()) << r.why;
        const auto pages = testsupport::RenderPdf(pdf, 100);
        ASSERT_EQ(pages.size(), 1u);
        const QImage& page = pages[0];

        // Rows with ink, in bands: the first text line, the code line, the
        // barcode, the next "Item" line.
        std::vector<std::pair<int, int>> bands; // first and last row of each band
        int left = page.width();
        for (int y = 0; y < page.height(); ++y) {
            bool ink = false;
            for (int x = 0; x < page.width(); ++x)
                if (testsupport::IsDark(page, x, y)) {
                    ink = true;
                    left = std::min(left, x);
                }
            if (!ink)
                continue;
            if (!bands.empty() && bands.back().second >= y - 1)
                bands.back().second = y;
            else
                bands.push_back({y, y});
        }
        const int margin = static_cast<int>(printing::kPdfMarginMm / 25.4 * 100); // 25 at 100 dpi
        ASSERT_GE(bands.size(), 2u) << r.why;
        EXPECT_GE(bands.front().first, margin) << r.why << ": the first line starts inside the printable area";
        EXPECT_GE(left, margin) << r.why;
        const auto barcode = testsupport::DecodeAll(page);
        ASSERT_EQ(barcode.size(), 1u) << r.why;
        // The band holding the barcode and the band after it must not touch.
        const auto inBarcode = std::find_if(bands.begin(), bands.end(),
                                            [&](auto b) { return b.first <= barcode[0].top && barcode[0].top <= b.second; });
        ASSERT_NE(inBarcode, bands.end()) << r.why;
        EXPECT_NE(inBarcode + 1, bands.end()) << r.why << ": the line after the barcode runs into it";
    }
}
