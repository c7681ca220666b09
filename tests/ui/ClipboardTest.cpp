#include "graphics/Drawing.h"
#include "services/Messages.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

const QString kCopyComplete =
    QStringLiteral("Copy Complete, The barcode can be pasted in other windows applications now with Ctrl-V");

// Records each message and whether the copy button was enabled while it showed.
struct ButtonWatchingSink : services::MessageSink {
    void Show(const QString& text, const QString&) override
    {
        texts << text;
        enabledWhileShown << button->isEnabled();
    }
    QPushButton* button = nullptr; // the copy button, watched while a message shows
    QStringList texts;
    QList<bool> enabledWhileShown;
};

QImage ClipboardPng()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data ? QImage::fromData(data->data(QStringLiteral("image/png")), "PNG") : QImage();
}

QImage Rgb32(const QImage& i) { return i.convertToFormat(QImage::Format_RGB32); }

// The picture as the clipboard carries it: ten modules of white on both sides.
QImage WithQuiet(const QImage& picture, int module) { return Rgb32(graphics::WithQuietZones(picture, 10 * module)); }

struct ClipboardTest : ::testing::Test {
    testsupport::TempConfig config;
    ButtonWatchingSink sink;
    ui::Form1 form{testsupport::Quietly(&sink)};
    void SetUp() override
    {
        sink.button = testsupport::Button(form, "Command9");
        form.Form_Load();
        QGuiApplication::clipboard()->setText(QStringLiteral("earlier text"));
    }
};

} // namespace

TEST_F(ClipboardTest, Code39_ClipboardHoldsOnlyPicture2_AndTheButtonWaitsForTheMessage)
{
    testsupport::Radio(form, "Option2")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("CLIP-39"));
    ASSERT_TRUE(form.Box("Picture2").Picture().has_value());

    form.Command9_Click();

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_FALSE(data->hasText()) << "earlier text must be gone";
    QStringList formats = data->formats();
    formats.sort();
    EXPECT_EQ(formats, (QStringList{QStringLiteral("image/bmp"), QStringLiteral("image/png")}));
    EXPECT_EQ(Rgb32(ClipboardPng()), WithQuiet(*form.Box("Picture2").Picture(), 1));
    EXPECT_EQ(Rgb32(QImage::fromData(data->data(QStringLiteral("image/bmp")), "BMP")), WithQuiet(*form.Box("Picture2").Picture(), 1));
    EXPECT_EQ(testsupport::DecodeOne(ClipboardPng(), ZXing::BarcodeFormat::Code39).text, "CLIP-39")
        << "the pasted picture scans by itself";

    EXPECT_EQ(sink.texts, QStringList{kCopyComplete});
    EXPECT_EQ(sink.enabledWhileShown, QList<bool>{false});
    EXPECT_TRUE(testsupport::Button(form, "Command9")->isEnabled());
}

TEST_F(ClipboardTest, MenuItem_SameResultAndMessageAsTheButton)
{
    testsupport::Radio(form, "Option2")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("MENU"));
    testsupport::Action(form, "BarCodetoClipboard")->trigger();
    EXPECT_EQ(Rgb32(ClipboardPng()), WithQuiet(*form.Box("Picture2").Picture(), 1));
    EXPECT_EQ(sink.texts, QStringList{kCopyComplete});
}

TEST_F(ClipboardTest, Ean_CopiesThePictureOfPicture10)
{
    testsupport::Radio(form, "Option9")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("5901234123457"));

    form.Command9_Click();

    const QImage copied = Rgb32(ClipboardPng());
    EXPECT_EQ(copied, WithQuiet(form.Box("Picture10").Image(), 2)) << "EAN modules are 2 pixels";
    EXPECT_EQ(testsupport::DecodeOne(copied, ZXing::BarcodeFormat::EAN13).text, "5901234123457");
    EXPECT_EQ(sink.texts, QStringList{kCopyComplete});
}

TEST_F(ClipboardTest, NoPicture_TellsTheUser_AndLeavesTheClipboardAlone)
{
    testsupport::Radio(form, "Option2")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QString()); // Generate with an empty text leaves no picture
    ASSERT_FALSE(form.Box("Picture2").Picture().has_value());

    form.Command9_Click();

    ASSERT_EQ(sink.texts.size(), 1);
    EXPECT_TRUE(sink.texts[0].contains(QStringLiteral("no barcode to copy"))) << sink.texts[0].toStdString();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("earlier text"));
    EXPECT_TRUE(testsupport::Button(form, "Command9")->isEnabled());
}
