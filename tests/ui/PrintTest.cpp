#include "printing/PrintAction.h"
#include "services/Messages.h"
#include "tests/support/Decode.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <cmath>

using services::RecordingSink;
using testsupport::FakePrinters;

namespace {

struct PrintTest : testsupport::PrintingTest {
    ui::Form1 form{testsupport::PrintingWindow(*this)};

    void SetUp() override
    {
        form.Form_Load();
        testsupport::Radio(form, "Option2")->setChecked(true); // Code 39
    }
    // Installs the system's printers and makes their default current.
    void install(const QStringList& names, const QString& defaultName)
    {
        printers.names = names;
        printers.defaultName = defaultName;
        form.FillPrinterList();
        testsupport::Line(form, "Text1")->setText(QStringLiteral("A1"));
    }
    int jobsSent() const { return static_cast<int>(printers.jobs.size() + sandbox.written.size()); }
};

} // namespace

TEST(PrintChecks, OffsetsAreTestedLeftThenTopThenThePicture)
{
    struct Row { const char* left; const char* top; bool picture; int expected; const char* why; };
    const Row rows[] = {
        {"abc", "x", true, core::kLeftNotNumeric, "left is tested first"},
        {"1", "x", true, core::kTopNotNumeric, "then top"},
        {"", "1", true, core::kLeftNotNumeric, "an empty text is not numeric"},
        {"abc", "1", false, core::kLeftNotNumeric, "offsets before the picture"},
        {" -2.5 ", "1e1", false, core::kNoPicture, "sign, blanks and exponent are numeric"},
        {"0", "0", true, 0, "zero offsets print"},
    };
    for (const Row& r : rows) {
        const core::Status f = printing::CheckPrint(QString::fromLatin1(r.left), QString::fromLatin1(r.top), r.picture);
        EXPECT_EQ(f.failed() ? f.failure().code : 0, r.expected) << r.why;
        if (f.failed()) {
            EXPECT_EQ(f.failure().text, r.expected == core::kNoPicture ? printing::kNothingToPrint : printing::kOffsetNotNumeric)
                << r.why;
        }
    }
}

TEST_F(PrintTest, Print_BadOffsets_OneMessagePerPressAndTheBoxIsReset)
{
    testsupport::Line(form, "Text1")->setText(QStringLiteral("A1"));
    testsupport::Line(form, "Text14")->setText(QStringLiteral("abc"));
    testsupport::Line(form, "Text15")->setText(QStringLiteral("x"));

    form.Command2_Click();
    EXPECT_EQ(messages.texts, QStringList{printing::kOffsetNotNumeric});
    EXPECT_EQ(testsupport::Line(form, "Text14")->text(), QStringLiteral("1"));
    EXPECT_EQ(testsupport::Line(form, "Text15")->text(), QStringLiteral("x"));
    EXPECT_EQ(jobsSent(), 0);

    form.Command2_Click();
    EXPECT_EQ(messages.texts, (QStringList{printing::kOffsetNotNumeric, printing::kOffsetNotNumeric}));
    EXPECT_EQ(testsupport::Line(form, "Text15")->text(), QStringLiteral("1"));
    EXPECT_EQ(jobsSent(), 0);

    form.Command2_Click();
    EXPECT_EQ(messages.texts.size(), 2);
    EXPECT_EQ(jobsSent(), 1);
}

TEST_F(PrintTest, Print_WithoutABarcode_AsksToGenerateAndSendsNothing)
{
    testsupport::Line(form, "Text1")->setText(QString());
    form.Command2_Click();
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("Please Generate Barocode to print")});
    EXPECT_EQ(jobsSent(), 0);
}

TEST_F(PrintTest, PrinterList_SystemPrintersInOrderThenTheBuiltInOneLast)
{
    printers.names = {QStringLiteral("Zebra"), QStringLiteral("Office")};
    form.FillPrinterList();
    ASSERT_EQ(testsupport::Combo(form, "Combo1")->count(), 3);
    EXPECT_EQ(testsupport::Combo(form, "Combo1")->itemText(0), QStringLiteral("Zebra"));
    EXPECT_EQ(testsupport::Combo(form, "Combo1")->itemText(1), QStringLiteral("Office"));
    EXPECT_EQ(testsupport::Combo(form, "Combo1")->itemText(2), QStringLiteral("Print to PDF file"));
}

// With no printer stored, the box, the line under it and Print all name
// the default printer, whichever printer is listed first.
TEST_F(PrintTest, FirstStart_TheBoxAndTheLineUnderItNameWhereAJobGoes)
{
    struct Start {
        const char* defaultName;
        const char* shown;
    };
    for (const Start& start : {Start{"", "Print to PDF file"}, Start{"Office", "Office"}}) {
        SCOPED_TRACE(start.shown);
        printers.names = {QStringLiteral("Label203"), QStringLiteral("Office")};
        printers.defaultName = QString::fromLatin1(start.defaultName);
        printers.jobs.clear();
        sandbox.written.clear();
        ui::Form1 first{testsupport::PrintingWindow(*this)};
        first.Form_Load();
        const QString shown = QString::fromLatin1(start.shown);
        EXPECT_TRUE(testsupport::Combo(first, "Combo1")->currentText().isEmpty());
        EXPECT_EQ(testsupport::Combo(first, "Combo1")->lineEdit()->placeholderText(), shown);
        EXPECT_TRUE(testsupport::Label(first, "PrinterPage")->toolTip().startsWith(shown + QLatin1Char(':')))
            << testsupport::Label(first, "PrinterPage")->toolTip().toStdString();
        testsupport::Line(first, "Text1")->setText(QStringLiteral("A1"));
        first.Command2_Click();
        EXPECT_EQ(printers.jobs.empty() ? QStringLiteral("Print to PDF file") : printers.jobs[0].printer, shown);
    }
}

TEST_F(PrintTest, Print_ChoosesThePrinterWhoseNameMatchesExactly_AndKeepsIt)
{
    install({QStringLiteral("Label-Printer"), QStringLiteral("label-printer")}, QStringLiteral("Label-Printer"));

    testsupport::Combo(form, "Combo1")->setEditText(QStringLiteral("label-printer"));
    form.Command2_Click();
    testsupport::Combo(form, "Combo1")->setEditText(QStringLiteral("LABEL-PRINTER")); // matches nothing: the choice stays
    form.Command2_Click();
    testsupport::Combo(form, "Combo1")->setEditText(QStringLiteral(" Label-Printer")); // blanks count
    form.Command2_Click();

    ASSERT_EQ(printers.jobs.size(), 3u);
    for (const auto& job : printers.jobs)
        EXPECT_EQ(job.printer, QStringLiteral("label-printer"));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
}

TEST_F(PrintTest, Print_UnknownNameGoesToTheSystemDefault)
{
    install({QStringLiteral("Office"), QStringLiteral("Labels")}, QStringLiteral("Labels"));
    testsupport::Combo(form, "Combo1")->setEditText(QStringLiteral("Nowhere"));
    form.Command2_Click();
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, QStringLiteral("Labels"));
}

TEST_F(PrintTest, Print_NoPrinterInstalled_TheBuiltInPdfPrinterWritesANewFileEachJob)
{
    EXPECT_EQ(testsupport::Combo(form, "Combo1")->lineEdit()->placeholderText(), QStringLiteral("Print to PDF file"));
    testsupport::Line(form, "Text1")->setText(QStringLiteral("A1"));
    testsupport::Combo(form, "Combo1")->setEditText(QString());
    form.Command2_Click();
    form.Command2_Click();
    ASSERT_EQ(sandbox.written.size(), 2);
    EXPECT_NE(sandbox.written[0], sandbox.written[1]);
    for (const QString& pdf : sandbox.written) {
        EXPECT_EQ(QFileInfo(pdf).absolutePath(), QDir(sandbox.pdfDir.path()).absolutePath());
        EXPECT_GT(QFileInfo(pdf).size(), 0);
    }
}

TEST_F(PrintTest, Print_PrinterThatFails_MessageNamesThePrinterAndTheReason)
{
    printers.names = {QStringLiteral("Shop-Floor")};
    printers.refuse = QStringLiteral("Shop-Floor");
    testsupport::Line(form, "Text1")->setText(QStringLiteral("A1"));
    testsupport::Combo(form, "Combo1")->setEditText(QStringLiteral("Shop-Floor"));
    form.Command2_Click();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("\"Shop-Floor\""))) << messages.texts[0].toStdString();
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("offline")));
}

TEST_F(PrintTest, Print_PdfFolderThatCannotBeCreated_MessageSaysWhere)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString folder = blocker.fileName() + QStringLiteral("/pdfs"); // below a file: can't exist
    qputenv("QUORVANE_PDF_DIR", folder.toLocal8Bit());
    testsupport::Line(form, "Text1")->setText(QStringLiteral("A1"));
    form.Command2_Click();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("Print to PDF file")));
    EXPECT_TRUE(messages.texts[0].contains(folder)) << messages.texts[0].toStdString();
    EXPECT_TRUE(sandbox.written.isEmpty());
}

// End to end: the page the built-in printer writes, rasterised at 300 dpi,
// holds the barcode 2.5 cm from the left edge on the top edge, and it scans.
TEST_F(PrintTest, Print_Code39AtOffsets_LandsWhereAskedOnThePageAndScans)
{
    testsupport::Line(form, "Text1")->setText(QStringLiteral("QV-2024"));
    testsupport::Line(form, "Text14")->setText(QStringLiteral("2.5"));
    testsupport::Line(form, "Text15")->setText(QStringLiteral("0"));
    form.Command2_Click();
    ASSERT_EQ(sandbox.written.size(), 1) << messages.texts.join(QLatin1Char('|')).toStdString();

    const auto pages = testsupport::RenderPdf(sandbox.written[0], 300);
    ASSERT_EQ(pages.size(), 1u);
    const QImage& page = pages[0];

    // Where the first bar must be: the offset plus the bar's own place in the picture.
    const QImage picture = *form.Box("Picture2").Picture();
    int firstBarX = -1, firstBarY = -1;
    for (int x = 0; x < picture.width() && firstBarX < 0; ++x)
        for (int y = 0; y < picture.height(); ++y)
            if (testsupport::IsDark(picture, x, y)) {
                firstBarX = x;
                firstBarY = y;
                break;
            }
    ASSERT_GE(firstBarX, 0);
    // Offsets count from the printable area; a pixel is 1/100 inch on the PDF's grid.
    const double margin = printing::kPdfMarginMm / 25.4 * 300;
    const double expectedX = margin + 2.5 / 2.54 * 300 + firstBarX * 3;
    const double expectedY = margin + firstBarY * 3;

    int pageX = -1;
    const int probeY = static_cast<int>(expectedY) + 20;
    for (int x = 0; x < page.width(); ++x)
        if (testsupport::IsDark(page, x, probeY)) {
            pageX = x;
            break;
        }
    EXPECT_NEAR(pageX, expectedX, 3.0);
    int pageY = -1;
    for (int y = 0; y < page.height(); ++y)
        if (testsupport::IsDark(page, pageX + 1, y)) {
            pageY = y;
            break;
        }
    EXPECT_NEAR(pageY, expectedY, 3.0);

    const auto decoded = testsupport::DecodeOne(page, ZXing::BarcodeFormat::Code39);
    EXPECT_EQ(decoded.text, "QV-2024");
}
