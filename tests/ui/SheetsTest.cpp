// Labels on sheets: the layout table, a run of labels put cell by cell
// from a start position, the preview against the printed pages, and a
// printer's calibration measured on the page.
#include "jobs/PrintJobs.h"
#include "jobs/StoredLayouts.h"
#include "jobs/StoredOptions.h"
#include "services/Settings.h"
#include "printing/CalibrationPage.h"
#include "printing/SheetPrint.h"
#include "tests/support/Decode.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"
#include "ui/SheetDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <functional>

namespace {

constexpr double kMmPerInch = 25.4;

// The dark pixels' bounding box in a part of a page; empty when it is white.
QRect InkIn(const QImage& page, const QRect& part)
{
    QRect ink;
    for (int y = part.top(); y <= part.bottom() && y < page.height(); ++y)
        for (int x = part.left(); x <= part.right() && x < page.width(); ++x)
            if (testsupport::IsDark(page, x, y))
                ink = ink.united(QRect(x, y, 1, 1));
    return ink;
}

QRect CellPixels(const printing::SheetLayout& layout, int cell, int dpi)
{
    const double px = dpi / kMmPerInch;
    const QPointF corner = layout.CellCornerMm(cell) * px;
    return QRect(qRound(corner.x()), qRound(corner.y()), qRound(layout.labelMm.width() * px),
                 qRound(layout.labelMm.height() * px));
}

struct SheetsTest : testsupport::PrintingTest {
    testsupport::SteppingClock clock{0.25};
    ui::Form1 form{testsupport::PrintingWindow(*this, &clock)};
    printing::SheetLayout layout = *jobs::ChosenLayout(QStringLiteral("Avery L7159")); // A4, 3 × 8

    void SetUp() override
    {
        form.Form_Load();
        testsupport::Radio(form, "Option1")->setChecked(true); // Code 128 B
        testsupport::Line(form, "Text14")->setText(QStringLiteral("0.5"));
        testsupport::Line(form, "Text15")->setText(QStringLiteral("0.4"));
        testsupport::Combo(form, "ComboLayout")->setCurrentText(layout.name);
        testsupport::Line(form, "Text1")->setText(QStringLiteral("A"));
        testsupport::Line(form, "Text21")->setText(QStringLiteral("100"));
        testsupport::Line(form, "Text22")->setText(QStringLiteral("130"));
        testsupport::Spin(form, "SpinStart")->setValue(5);
    }
};

} // namespace

TEST(SheetLayouts, EveryBuiltInLayout_FitsItsPage)
{
    int a4 = 0, letter = 0;
    for (const printing::SheetLayout& l : printing::BuiltInLayouts()) {
        EXPECT_TRUE(printing::CheckLayout(l).ok()) << l.name.toStdString();
        a4 += printing::PageName(l) == QLatin1String("A4");
        letter += printing::PageName(l) == QLatin1String("Letter");
        const int last = l.LabelsPerSheet() - 1;
        EXPECT_LT(QLineF(printing::LayoutFromSetting(l.name, printing::LayoutToSetting(l))->CellCornerMm(last),
                         l.CellCornerMm(last)).length(), 1e-6)
            << "stored and read back: " << l.name.toStdString();
    }
    EXPECT_GE(a4 + letter, 12);
    EXPECT_GE(letter, 4);
}

TEST(SheetLayouts, LayoutsThatCantBePrinted_SayWhy)
{
    const printing::SheetLayout good = printing::BuiltInLayouts().front();
    struct Case {
        std::function<void(printing::SheetLayout&)> change;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {[](auto& l) { l.labelMm.setWidth(0); }, core::kNotAboveZero, "the label's width and height must be more than 0"},
        {[](auto& l) { l.rows = 0; }, core::kNotAboveZero, "columns and of rows"},
        {[](auto& l) { l.pageMm.setHeight(-297); }, core::kNotAboveZero, "page's width"},
        {[](auto& l) { l.pitchXMm = 30; }, core::kOverlap, "the pitch across (30 mm) is less than a label's width"},
        {[](auto& l) { l.columns = 6; }, core::kOffThePage, "past the page's width of 210 mm"},
        {[](auto& l) { l.topMm = 30; }, core::kOffThePage, "past the page's height of 297 mm"},
        {[](auto& l) { l.leftMm = -3; }, core::kOffThePage, "must not be negative"},
        // A layout entered in inches is told in inches.
        {[](auto& l) { l.pitchXMm = 25.4, l.inches = true; }, core::kOverlap, "the pitch across (1 in) is less than a label's width (1.5 in)"},
        {[](auto& l) { l.pageMm.setWidth(127), l.inches = true; }, core::kOffThePage, "past the page's width of 5 in"},
    };
    for (const Case& c : cases) {
        printing::SheetLayout l = good;
        c.change(l);
        const core::Status f = printing::CheckLayout(l);
        ASSERT_TRUE(f.failed()) << c.says;
        EXPECT_EQ(f.failure().code, c.code) << c.says;
        EXPECT_TRUE(f.failure().text.contains(QString::fromUtf8(c.says))) << f.failure().text.toStdString();
    }
    EXPECT_TRUE(printing::CheckStart(good, good.LabelsPerSheet() + 1).failure().text.contains(QStringLiteral("labels 1 to 65")));
    EXPECT_TRUE(printing::CheckStart(good, 0).failed());
    for (const char* bad : {"", "page=210x297", "page=axb;label=1x1;grid=1x1;pitch=1x1;margins=0,0",
                            "page=210x297;label=10x10;grid=2.5x1;pitch=10x10;margins=0,0"})
        EXPECT_FALSE(printing::LayoutFromSetting(QStringLiteral("x"), QString::fromLatin1(bad))) << bad;
}

TEST(SheetLayouts, SavedLayoutsAndCalibrations_ComeBack_AndBadOnesAreRefused)
{
    testsupport::TempConfig config;
    printing::SheetLayout mine = printing::BuiltInLayouts().front();
    mine.name = QStringLiteral("Shelf tags");
    EXPECT_TRUE(jobs::SaveLayout(mine).ok());
    EXPECT_EQ(jobs::ChosenLayout(QStringLiteral("shelf TAGS"))->LabelsPerSheet(), mine.LabelsPerSheet());
    EXPECT_TRUE(jobs::SaveLayout(printing::BuiltInLayouts()[3]).failure().text.contains(QStringLiteral("built-in")));
    mine.columns = 9;
    EXPECT_EQ(jobs::SaveLayout(mine).failure().code, core::kOffThePage);
    mine.columns = 1;
    mine.pageMm = QSizeF(6000, 297); // as New Label Layout takes it in inches
    EXPECT_TRUE(jobs::SaveLayout(mine).failure().text.contains(QStringLiteral("not one a PDF can hold")));
    EXPECT_TRUE(jobs::FindLayout(QStringLiteral("Nope")).failure().text.contains(QStringLiteral("One label per job, Avery L7651")));
    EXPECT_FALSE(jobs::FindLayout(QStringLiteral("One label per job")).value().has_value());

    EXPECT_TRUE(jobs::SaveCalibration(QStringLiteral("ipp://host/printers/a b"), {1.5, -0.8, 101}).ok());
    EXPECT_EQ(jobs::StoredCalibration(QStringLiteral("ipp://host/printers/a b")).scalePercent, 101);
    EXPECT_TRUE(jobs::StoredCalibration(QStringLiteral("Other")).IsNone());
    for (const printing::Calibration bad : {printing::Calibration{0, 0, 89.9}, printing::Calibration{0, 0, 110.5},
                                            printing::Calibration{51, 0, 100}})
        EXPECT_TRUE(jobs::SaveCalibration(QStringLiteral("P"), bad).failed()) << bad.scalePercent;
    EXPECT_TRUE(jobs::CheckCalibration({0, 0, 80}).failure().text.contains(QStringLiteral("between 90 and 110 %")));
}

TEST_F(SheetsTest, RunOf30_On3x8_FromLabel5_EveryBarcodeInItsCellInOrder)
{
    form.Command8_Click();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(sandbox.written.size(), 1) << "one job";
    EXPECT_EQ(testsupport::Line(form, "Text21")->text(), QStringLiteral("130"));
    constexpr int dpi = 300;
    const std::vector<QImage> pages = testsupport::RenderPdf(sandbox.written[0], dpi);
    ASSERT_EQ(pages.size(), 2u);

    // Where a barcode's ink starts in its cell: the offsets, then the
    // drawing's own margin at the built-in printer's 1/100-inch dots.
    const graphics::Drawing drawing = jobs::ListingBarcode(form.ReadRequest(), QStringLiteral("A100")).drawing;
    const double inchPerPixel = graphics::DeviceGrid(1200, 100).UnitsPerPixel(drawing.module) / 1200;
    const QPointF inset = QPointF(5 / kMmPerInch, 4 / kMmPerInch) + QPointF(drawing.Bounds().topLeft()) * inchPerPixel;
    const double dot = dpi / 100.0;
    int label = 100;
    for (int page = 0; page < 2; ++page)
        for (int cell = 0; cell < layout.LabelsPerSheet(); ++cell) {
            const QRect box = CellPixels(layout, cell, dpi);
            const QRect ink = InkIn(pages[page], box);
            const bool used = (page == 0 && cell >= 4) || (page == 1 && cell < 10);
            SCOPED_TRACE(QStringLiteral("page %1 cell %2").arg(page + 1).arg(cell + 1).toStdString());
            if (!used) {
                EXPECT_TRUE(ink.isEmpty());
                continue;
            }
            const QString text = QString::fromStdString(testsupport::DecodeOne(pages[page].copy(box.adjusted(-20, 0, 20, 0))).text);
            EXPECT_EQ(text, QStringLiteral("A%1").arg(label++));
            const QPointF expected = QPointF(box.topLeft()) + inset * dpi;
            EXPECT_NEAR(ink.left(), expected.x(), dot);
            EXPECT_NEAR(ink.top(), expected.y(), dot);
        }
    EXPECT_EQ(label, 130);
}

TEST_F(SheetsTest, Preview_IsWhatThePrinterGets)
{
    // A run of labels on sheets, and one label per job.
    for (bool sheets : {true, false}) {
        SCOPED_TRACE(sheets ? "sheets" : "one label per job");
        if (!sheets)
            testsupport::Combo(form, "ComboLayout")->setCurrentIndex(0);
        testsupport::Line(form, "Text21")->setText(QStringLiteral("100"));
        testsupport::Line(form, "Text22")->setText(QStringLiteral("103"));
        sandbox.written.clear();
        const core::Result<ui::Form1::Pages> previewed = form.PreviewPages(ui::Form1::PrintKind::RunIt, 300);
        ASSERT_TRUE(previewed.ok()) << previewed.failure().text.toStdString();
        const std::vector<QImage>& preview = previewed->images;
        form.Command8_Click();
        std::vector<QImage> printed;
        for (const QString& pdf : sandbox.written)
            for (QImage& page : testsupport::RenderPdf(pdf, 300))
                printed.push_back(std::move(page));
        ASSERT_EQ(preview.size(), printed.size());
        ASSERT_EQ(preview.size(), sheets ? 1u : 3u);
        for (size_t i = 0; i < preview.size(); ++i) {
            // The renderer makes a whole dot of the page's last part of
            // one: its picture may be a dot wider or taller.
            const QSize both = preview[i].size().boundedTo(printed[i].size());
            EXPECT_LE(std::abs(preview[i].height() - printed[i].height()), 1);
            EXPECT_LE(std::abs(preview[i].width() - printed[i].width()), 1);
            qint64 differ = 0;
            for (int y = 0; y < both.height(); ++y)
                for (int x = 0; x < both.width(); ++x)
                    differ += testsupport::IsDark(preview[i], x, y) != testsupport::IsDark(printed[i], x, y);
            EXPECT_EQ(differ, 0) << "page " << i + 1;
            EXPECT_FALSE(InkIn(printed[i], printed[i].rect()).isEmpty());
        }
    }
}

TEST_F(SheetsTest, Calibration_MovesAndScalesTheBarcodes_ModulesStayWholeDots)
{
    printers.names = {QStringLiteral("Office")};
    printers.resolution = 600;
    form.FillPrinterList();
    testsupport::Combo(form, "Combo1")->setCurrentText(QStringLiteral("Office"));
    testsupport::Spin(form, "SpinStart")->setValue(1);
    testsupport::Line(form, "Text22")->setText(QStringLiteral("103")); // cells 1, 2 and 3 of the first row
    constexpr int dpi = 600;
    const auto leftEdges = [&](const printing::Calibration& c) {
        EXPECT_TRUE(jobs::SaveCalibration(QStringLiteral("Office"), c).ok());
        const size_t jobs = printers.jobs.size();
        testsupport::Line(form, "Text21")->setText(QStringLiteral("100"));
        form.Command8_Click();
        EXPECT_EQ(printers.jobs.size(), jobs + 1);
        const std::vector<QImage> pages = testsupport::RenderPdf(printers.jobs.back().pdf, dpi);
        std::vector<QPoint> corners;
        for (int cell = 0; cell < 3; ++cell)
            corners.push_back(InkIn(pages.at(0), CellPixels(layout, cell, dpi).adjusted(-60, -60, 60, 60)).topLeft());
        return std::pair{corners, pages.at(0)};
    };
    const auto [plain, plainPage] = leftEdges({});
    const auto [moved, movedPage] = leftEdges({1.5, -0.8, 101});
    const double px = dpi / kMmPerInch;
    for (size_t i = 0; i < plain.size(); ++i) {
        // The sheet's point p is printed at p × 1.01 + shift.
        EXPECT_NEAR(moved[i].x(), plain[i].x() * 1.01 + 1.5 * px, 1.5) << i;
        EXPECT_NEAR(moved[i].y(), plain[i].y() * 1.01 - 0.8 * px, 1.5) << i;
    }
    EXPECT_NEAR(moved[2].x() - moved[0].x(), (plain[2].x() - plain[0].x()) * 1.01, 1.5) << "the distance scaled";
    // Along a row through the middle of the first barcode, every bar and
    // space is a whole number of the same module.
    const std::vector<int> runs = testsupport::RunsFrom(movedPage, moved[0].x(), moved[0].y() + 40, 60);
    ASSERT_GT(runs.size(), 20u);
    const int module = *std::min_element(runs.begin(), runs.end());
    for (int run : runs)
        EXPECT_EQ(run % module, 0) << run << " dots, module " << module;
    EXPECT_EQ(testsupport::DecodeOne(movedPage).text, "A100");
}

TEST_F(SheetsTest, BadInput_PrintsNothing_AndSaysWhy)
{
    struct Case {
        std::function<void()> set;
        const char* says;
    };
    const Case cases[] = {
        {[&] { testsupport::Line(form, "Text14")->setText(QStringLiteral("6")); }, "does not fit its label"},
        {[&] { testsupport::Line(form, "Text21")->setText(QStringLiteral("x")); }, "From and To must be numbers"},
        {[&] { testsupport::Radio(form, "Option8")->setChecked(true); }, "There is no barcode to print for the label \"A100\": Code is not 11 Digits"},
    };
    for (const Case& c : cases) {
        SetUp();
        messages.texts.clear();
        c.set();
        form.Command8_Click();
        EXPECT_TRUE(sandbox.written.isEmpty()) << c.says;
        ASSERT_EQ(messages.texts.size(), 1) << c.says;
        EXPECT_TRUE(messages.texts[0].contains(QString::fromUtf8(c.says))) << messages.texts[0].toStdString();
        EXPECT_EQ(testsupport::Line(form, "Text21")->text(), c.says[0] == 'F' ? QStringLiteral("x") : QStringLiteral("100")) << "From kept";
    }
}

TEST_F(SheetsTest, Print_FillsOneCellOrTheRestOfTheSheet)
{
    testsupport::Line(form, "Text1")->setText(QStringLiteral("LOT-7"));
    form.Command1_Click();
    struct Case {
        int start;
        bool repeat;
        int barcodes;
    };
    for (const Case c : {Case{5, false, 1}, Case{5, true, 20}, Case{24, true, 1}}) {
        sandbox.written.clear();
        testsupport::Spin(form, "SpinStart")->setValue(c.start);
        testsupport::CheckBox(form, "CheckRepeat")->setChecked(c.repeat);
        form.Command2_Click();
        ASSERT_EQ(sandbox.written.size(), 1);
        const std::vector<QImage> pages = testsupport::RenderPdf(sandbox.written[0], 150);
        ASSERT_EQ(pages.size(), 1u);
        int found = 0;
        for (int cell = 0; cell < layout.LabelsPerSheet(); ++cell) {
            const bool ink = !InkIn(pages[0], CellPixels(layout, cell, 150)).isEmpty();
            EXPECT_EQ(ink, cell + 1 >= c.start && cell + 1 < c.start + c.barcodes) << "cell " << cell + 1;
            found += ink;
        }
        EXPECT_EQ(found, c.barcodes) << "start " << c.start << (c.repeat ? ", fill sheet" : "");
        EXPECT_EQ(testsupport::DecodeOne(pages[0]).text, "LOT-7");
    }
}

TEST_F(SheetsTest, CalibrationPage_CrossesWhereItSays_MovedByTheCalibration)
{
    printers.names = {QStringLiteral("Office")};
    printers.resolution = 300;
    printing::Printers calibrated = sandbox.Printers();
    calibrated.calibration = [](const QString&) { return printing::Calibration{2, -1, 100}; };
    for (const QString& name : {printing::kPdfPrinterName, QStringLiteral("Office")}) {
        SCOPED_TRACE(name.toStdString());
        const std::unique_ptr<printing::PrintTarget> printer = calibrated.Open(name);
        ASSERT_EQ(printer->Name(), name);
        const QSizeF sheet = printer->PageFor(std::nullopt)->sheetMm;
        ASSERT_TRUE(sandbox.Keep(printing::PrintCalibrationPage(*printer)).ok());
        const QString pdf = name == printing::kPdfPrinterName ? sandbox.written.back() : printers.jobs.back().pdf;
        const QImage page = testsupport::RenderPdf(pdf, 300).at(0);
        // The built-in printer has no calibration; Office moves 2 mm right and 1 mm up.
        const QPointF shift = name == printing::kPdfPrinterName ? QPointF() : QPointF(2, -1);
        for (const QPointF& mm : printing::CalibrationCrossesMm(sheet)) {
            const QPointF at = (mm + shift) * (300 / kMmPerInch);
            // The cross's arms: the ink across its centre row and column.
            const QRect across = InkIn(page, QRect(qRound(at.x()) - 100, qRound(at.y()), 200, 1));
            const QRect down = InkIn(page, QRect(qRound(at.x()), qRound(at.y()) - 100, 1, 200));
            EXPECT_NEAR(across.center().x(), at.x(), 2) << mm.x() << "," << mm.y();
            EXPECT_NEAR(down.center().y(), at.y(), 2) << mm.x() << "," << mm.y();
        }
    }
}

TEST_F(SheetsTest, LayoutStartAndFill_AreStored_AndBadStoredValuesFallBack)
{
    testsupport::CheckBox(form, "CheckRepeat")->setChecked(true);
    {
        ui::Form1 again{testsupport::PrintingWindow(*this)};
        again.Form_Load();
        EXPECT_EQ(testsupport::Combo(again, "ComboLayout")->currentText(), layout.name);
        EXPECT_EQ(testsupport::Spin(again, "SpinStart")->value(), 5);
        EXPECT_TRUE(testsupport::CheckBox(again, "CheckRepeat")->isChecked());
        EXPECT_TRUE(testsupport::Spin(again, "SpinStart")->toolTip().contains(QStringLiteral("row 2, column 2"))) << testsupport::Spin(again, "SpinStart")->toolTip().toStdString();
    }
    struct Case {
        const char* layout;
        const char* start;
        const char* shownLayout;
        int shownStart;
    };
    // A layout no longer there stays chosen by its name: printing then says
    // it is missing (see MissingLayoutTest) instead of one label per job.
    for (const Case c : {Case{"Gone", "3", "Gone", 1}, Case{"avery l7159", "abc", "Avery L7159", 1},
                         Case{"L7159", "99", "Avery L7159", 24}, Case{"L7159", "-4", "Avery L7159", 1}}) {
        ASSERT_TRUE(jobs::StoreOption(QStringLiteral("layout"), QString::fromLatin1(c.layout)).ok());
        ASSERT_TRUE(jobs::StoreOption(QStringLiteral("layoutstart"), QString::fromLatin1(c.start)).ok());
        ui::Form1 again{testsupport::PrintingWindow(*this)};
        again.Form_Load();
        EXPECT_EQ(testsupport::Combo(again, "ComboLayout")->currentText(), QString::fromLatin1(c.shownLayout)) << c.layout;
        EXPECT_EQ(testsupport::Spin(again, "SpinStart")->value(), c.shownStart) << c.start;
    }
}

TEST_F(SheetsTest, PreviewDialog_PagesThroughWhatItWasGiven_OrSaysWhyThereIsNothing)
{
    std::vector<int> printed;
    const auto render = [&](int kind) -> core::Result<ui::PreviewDialog::Pages> {
        ui::PreviewDialog::Pages pages;
        pages.dpi = 50;
        if (kind != 0)
            return core::Failure{core::kCannotOpen, QStringLiteral("Please Select a File to Print")};
        pages.images = {QImage(413, 585, QImage::Format_Grayscale8), QImage(413, 585, QImage::Format_Grayscale8)};
        pages.layout = layout;
        return pages;
    };
    ui::PreviewDialog dialog(&form, 0, render, [&](int kind) { printed.push_back(kind); });
    EXPECT_EQ(dialog.PageCount(), 2);
    EXPECT_EQ(dialog.PageLabel->text(), QStringLiteral("Page 1 of 2"));
    dialog.Kind->setCurrentIndex(1);
    EXPECT_EQ(dialog.PageCount(), 0);
    EXPECT_EQ(dialog.PageLabel->text(), QStringLiteral("No pages"));
    EXPECT_TRUE(dialog.findChild<QScrollArea*>()->widget()->property("text").toString().contains(QStringLiteral("Select a File")));
    dialog.Kind->setCurrentIndex(0);
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Print"))
            b->click();
    EXPECT_EQ(printed, std::vector<int>{0}) << "Print prints what was shown";
}

TEST_F(SheetsTest, Dialogs_ConvertUnits_AndRefuseWhatCantBeUsed_StayingOpen)
{
    ui::LayoutDialog layoutDialog(&form, messages);
    layoutDialog.Name->setText(QStringLiteral("Parcels"));
    layoutDialog.Unit->setCurrentIndex(1); // inches: every length converted, none lost
    EXPECT_NEAR(layoutDialog.LabelWidth->value(), 2.5, 1e-4);
    const printing::SheetLayout entered = layoutDialog.Entered();
    EXPECT_NEAR(entered.labelMm.width(), 63.5, 0.01);
    EXPECT_NEAR(entered.pitchXMm, 66.04, 0.01);
    EXPECT_TRUE(entered.inches);

    struct Case {
        std::function<void()> set;
        QDialog* dialog;
        const char* says;
    };
    const printing::Printers printing = sandbox.Printers();
    ui::CalibrationDialog calibration(&form, QStringLiteral("Office"), printing, messages);
    ui::PrinterSetupDialog setup(&form, QStringLiteral("Office"), messages);
    const Case cases[] = {
        {[&] { layoutDialog.Columns->setValue(4); }, &layoutDialog, "past the page's width"},
        {[&] { layoutDialog.Name->setText(QStringLiteral("L7160")); }, &layoutDialog, "built-in layout"},
        {[&] { calibration.Scale->setValue(111); }, &calibration, "between 90 and 110 %"},
        {[&] { setup.Darkness->setText(QStringLiteral("31")); }, &setup, "The darkness \"31\" can't be used"},
        {[&] { setup.Darkness->clear(); setup.Media->setText(QStringLiteral("2x1")); }, &setup, "is not a label size"},
    };
    for (const Case& c : cases) {
        messages.texts.clear();
        c.set();
        c.dialog->accept();
        EXPECT_EQ(c.dialog->result(), QDialog::Rejected) << c.says;
        ASSERT_EQ(messages.texts.size(), 1) << c.says;
        EXPECT_TRUE(messages.texts[0].contains(QString::fromUtf8(c.says))) << messages.texts[0].toStdString();
    }
    calibration.Scale->setValue(99.5);
    calibration.ShiftX->setValue(-1.2);
    calibration.accept();
    EXPECT_EQ(calibration.result(), QDialog::Accepted);
    EXPECT_EQ(jobs::StoredCalibration(QStringLiteral("Office")).shiftXMm, -1.2);
    EXPECT_TRUE(jobs::FindLayout(QStringLiteral("Parcels")).failed()) << "nothing saved of a refused layout";

    EXPECT_TRUE(jobs::StoredLabelSetup(QStringLiteral("Office")).IsEmpty()) << "nothing saved of a refused setup";
    setup.Language->setCurrentIndex(setup.Language->findData(QStringLiteral("tspl")));
    setup.Media->setText(QStringLiteral("50x30mm"));
    setup.Speed->setText(QStringLiteral("4"));
    setup.accept();
    EXPECT_EQ(setup.result(), QDialog::Accepted);
    const printing::LabelSetup stored = jobs::StoredLabelSetup(QStringLiteral("Office"));
    EXPECT_EQ(stored.language, files::LabelLanguage::Tspl);
    EXPECT_EQ(stored.speed, 4);
    EXPECT_EQ(stored.mediaMm, QSizeF(50, 30));
    EXPECT_FALSE(stored.darkness) << "left empty: the printer's own";
    const ui::PrinterSetupDialog again(&form, QStringLiteral("Office"), messages);
    EXPECT_EQ(again.Media->text(), QStringLiteral("50x30mm")) << "the dialog shows what is stored";
}

TEST_F(SheetsTest, PrintOnSheets_SendsNothing_WhenALabelFailsOrTheStartIsOffTheSheet)
{
    const graphics::Drawing bars = jobs::ListingBarcode(form.ReadRequest(), QStringLiteral("A1")).drawing;
    const printing::SheetLabel good{QStringLiteral("A1"), {bars, {}, {}}, {}};
    const printing::SheetLabel failed{QStringLiteral("A2"), {{}, core::Failure{9, QStringLiteral("9\nSubscript out of range")}, {}}, {}};
    const printing::SheetLabel unreadable{{}, {}, core::Failure{core::kCannotRead, QStringLiteral("The file x can't be read: gone")}};
    struct Case {
        std::vector<printing::SheetLabel> labels;
        int start;
        const char* says; // empty: sent
    };
    const Case cases[] = {
        {{good, good}, 1, ""},
        {{good, failed, good}, 1, "There is no barcode to print for the label \"A2\": 9\nSubscript out of range"},
        {{good, unreadable}, 1, "The file x can't be read: gone"},
        {{good}, 25, "labels 1 to 24"},
        {{}, 1, ""},
    };
    const std::unique_ptr<printing::PrintTarget> printer = sandbox.Printers().Open(printing::kPdfPrinterName);
    for (const Case& c : cases) {
        sandbox.written.clear();
        size_t next = 0;
        const core::Result<printing::SheetsPrinted> r = printing::PrintOnSheets(*printer, {layout, c.start, 0.5, 0.4}, [&] {
            return next < c.labels.size() ? std::optional<printing::SheetLabel>(c.labels[next++]) : std::nullopt;
        });
        if (r.ok())
            sandbox.Keep(r->done);
        const bool sent = std::string_view(c.says).empty() && !c.labels.empty();
        EXPECT_EQ(sandbox.written.size(), sent ? 1 : 0) << c.says;
        EXPECT_EQ(r.ok() ? r->printed : 0, sent ? static_cast<qint64>(c.labels.size()) : 0) << c.says;
        const std::string said = r.failed() ? r.failure().text.toStdString() : "";
        EXPECT_TRUE(std::string_view(c.says).empty() ? said.empty() : said.find(c.says) != std::string::npos) << said;
    }
}

// A stored layout whose saved entry went stays chosen by its name, and
// the window's Print and Run It say it is missing rather than print one
// label per job.
struct MissingLayoutTest : testsupport::PrintingTest {};

TEST_F(MissingLayoutTest, AStoredLayoutNoLongerThere_PrintAndRunItSaySo_AndPrintNothing)
{
    ASSERT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("layout"),
                                      QStringLiteral("Shelf tags"))
                    .ok());
    ui::Form1 form{testsupport::PrintingWindow(*this)};
    form.Form_Load();
    EXPECT_EQ(testsupport::Combo(form, "ComboLayout")->currentText(), QStringLiteral("Shelf tags"));
    testsupport::Line(form, "Text1")->setText(QStringLiteral("A1"));
    form.Command1_Click();
    testsupport::Line(form, "Text21")->setText(QStringLiteral("1"));
    testsupport::Line(form, "Text22")->setText(QStringLiteral("3"));
    const std::pair<const char*, std::function<void()>> clicks[] = {
        {"Print", [&] { form.Command2_Click(); }},
        {"Run It", [&] { form.Command8_Click(); }},
    };
    for (const auto& [name, click] : clicks) {
        SCOPED_TRACE(name);
        messages.texts.clear();
        click();
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].startsWith(QStringLiteral("There is no layout named \"Shelf tags\".")));
        EXPECT_TRUE(messages.texts[0].endsWith(QStringLiteral("Nothing was printed.")));
        EXPECT_TRUE(sandbox.written.isEmpty());
    }
    EXPECT_EQ(services::GetSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("layout")),
              QStringLiteral("Shelf tags"))
        << "the stored choice is kept";
}
