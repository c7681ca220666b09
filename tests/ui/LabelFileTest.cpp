// The window with a label file: Print, Print Preview and Run It print its
// label (Run It's number in ${n}), the status line names the file and the
// choice outlives the window; a file that can't be used changes nothing,
// and "No label file" prints the one barcode again.
#include "jobs/StoredOptions.h"
#include "tests/support/Decode.h"
#include "tests/support/LabelPage.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

struct LabelFileWindow : testsupport::PrintingTest {
    testsupport::SteppingClock clock{0.25};
    ui::Form1 form{testsupport::PrintingWindow(*this, &clock)};
    QTemporaryDir dir;
    QString lotFile = dir.filePath(QStringLiteral("lot.json"));

    void SetUp() override
    {
        form.Form_Load();
        form.SetPdfResolution(300);
        testsupport::Radio(form, "Option1")->setChecked(true); // Code 128 B
        testsupport::Line(form, "Text1")->setText(QStringLiteral("PLAIN-1"));
        testsupport::Line(form, "Text21")->setText(QStringLiteral("7"));
        testsupport::Line(form, "Text22")->setText(QStringLiteral("9"));
        QFile f(lotFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"version": 1, "widthMm": 60, "heightMm": 30, "parts": [
            {"type": "barcode", "xMm": 8, "yMm": 3, "symbology": "code128", "text": "LOT-${n}", "moduleMm": 0.4, "heightMm": 12},
            {"type": "text", "xMm": 8, "yMm": 20, "text": "Lot ${n}"}]})");
    }

    // The Code 128 texts of the last `jobs` files the built-in printer wrote.
    std::vector<std::string> LastRead(int jobs)
    {
        std::vector<std::string> read;
        for (const QString& pdf : sandbox.written.mid(sandbox.written.size() - jobs))
            for (const QImage& page : testsupport::RenderPdf(pdf, 150))
                for (const testsupport::Decoded& d : testsupport::DecodeAll(page, ZXing::BarcodeFormat::Code128))
                    read.push_back(d.text);
        return read;
    }
};

} // namespace

TEST_F(LabelFileWindow, PrintPreviewAndRunIt_PrintTheLabel_NoLabelFilePrintsTheBarcodeAgain)
{
    ASSERT_TRUE(form.UseLabelFile(lotFile)) << messages.texts.join('|').toStdString();
    QLabel* inUse = testsupport::Label(form, "LabelFileInUse");
    EXPECT_EQ(inUse->text(), QStringLiteral("Label: lot.json"));
    EXPECT_FALSE(inUse->isHidden());
    EXPECT_EQ(jobs::ReadStoredOptions().labelFile, lotFile);

    form.Command2_Click();
    ASSERT_EQ(sandbox.written.size(), 1) << messages.texts.join('|').toStdString();
    EXPECT_EQ(LastRead(1), std::vector<std::string>{"LOT-7"}) << "Print: From in ${n}";
    EXPECT_TRUE(testsupport::PdfText(sandbox.written.back()).contains(QStringLiteral("Lot 7")));

    const core::Result<ui::Form1::Pages> preview = form.PreviewPages(ui::Form1::PrintKind::RunIt, 150);
    ASSERT_TRUE(preview.ok()) << preview.failure().text.toStdString();
    ASSERT_EQ(preview->images.size(), 2u);
    EXPECT_EQ(testsupport::DecodeOne(preview->images[1]).text, "LOT-8");

    form.Command8_Click();
    ASSERT_EQ(sandbox.written.size(), 3) << messages.texts.join('|').toStdString();
    EXPECT_EQ(LastRead(2), (std::vector<std::string>{"LOT-7", "LOT-8"}));
    EXPECT_EQ(testsupport::Line(form, "Text21")->text(), QStringLiteral("9"));
    EXPECT_EQ(testsupport::Line(form, "Text1")->text(), QStringLiteral("PLAIN-1")) << "the window's own barcode stays";

    {
        ui::Form1 again{testsupport::PrintingWindow(*this, &clock)};
        again.Form_Load();
        EXPECT_EQ(again.LabelFile(), lotFile) << "the choice outlives the window";
    }
    const QString bad = dir.filePath(QStringLiteral("bad.json"));
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("label: 60 x 30");
    }
    EXPECT_FALSE(form.UseLabelFile(bad));
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.back().contains(QStringLiteral("is not a label file"))) << messages.texts.back().toStdString();
    EXPECT_EQ(form.LabelFile(), lotFile) << "a file that can't be used changes nothing";

    form.NoLabelFile_Click();
    EXPECT_TRUE(inUse->isHidden());
    EXPECT_TRUE(jobs::ReadStoredOptions().labelFile.isEmpty());
    form.Command2_Click();
    ASSERT_EQ(sandbox.written.size(), 4);
    EXPECT_EQ(LastRead(1), std::vector<std::string>{"PLAIN-1"});
}
