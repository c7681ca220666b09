#include "core/Numeric.h"
#include "services/Messages.h"
#include "symbols/Code128Engine.h"
#include "symbols/Code128Generate.h"
#include "symbols/Code39.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

using ui::Form1;

namespace {

struct Code128Generate : ::testing::Test {
    testsupport::TempConfig config;
    services::RecordingSink messages;
    Form1 form{testsupport::Quietly(&messages)};
    void SetUp() override
    {
        form.Form_Load();
        testsupport::Radio(form, "Option1")->setChecked(true);
    }
    // One Generate of the text: a change of Text1 runs it, else "Bar Code".
    void Type(const QString& text)
    {
        if (testsupport::Line(form, "Text1")->text() == text)
            form.Command1_Click();
        else
            testsupport::Line(form, "Text1")->setText(text);
    }
    ZXing::Result Read() const
    {
        const QImage img = testsupport::WithQuietZone(*form.Box("Picture2").Picture())
                               .convertToFormat(QImage::Format_Grayscale8);
        ZXing::DecodeHints hints;
        hints.setFormats(ZXing::BarcodeFormat::Code128);
        hints.setTryHarder(true);
        hints.setTryRotate(false);
        return ZXing::ReadBarcode({img.constBits(), img.width(), img.height(), ZXing::ImageFormat::Lum,
                                   static_cast<int>(img.bytesPerLine())},
                                  hints);
    }
    static bool AllWhite(const QImage& img)
    {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != qRgb(255, 255, 255))
                    return false;
        return true;
    }
};

// A text of n printable characters; each length starts elsewhere in the
// printable range, so all of it is covered.
QString Printable(int n)
{
    QString text;
    for (int i = 0; i < n; ++i)
        text += QChar(char16_t(32 + (n * 7 + i) % 95));
    return text;
}

const QString kMessage =
    QStringLiteral("There was an Unknow Error please send an email to ") + QLatin1String(symbols::kSupportAddress) + QLatin1Char(' ');

} // namespace

TEST_F(Code128Generate, PrintableAsciiOfEveryLengthUpTo60_ReadsBack_WithAndWithoutCaption)
{
    for (bool caption : {false, true}) {
        testsupport::CheckBox(form, "Check2")->setChecked(caption);
        for (int n = 1; n <= 60; ++n) {
            const QString text = Printable(n);
            Type(text);
            ASSERT_TRUE(form.Box("Picture2").Picture().has_value()) << n;
            EXPECT_EQ(*form.Box("Picture2").Picture(), form.Box("Picture1").Image());
            const auto r = Read();
            EXPECT_EQ(QString::fromStdString(r.text()), text) << "length " << n << (caption ? " with caption" : "");
        }
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST(Code128GenerateArea, BarsOrAWiderCaption_AndPicture1HoldsIt)
{
    for (bool caption : {false, true})
        for (int n = 1; n <= 60; ++n) {
            // Picture1 as the Code 128 B step of Generate sizes it, by the
            // Code 39 drawing of the text, then the engine's drawing on it.
            const symbols::SymbolRequest r{symbols::Symbology::Code128B, Printable(n), 1.4, 8, {}, {}, caption, {}, symbols::Symbologies(), {}};
            const auto g = symbols::kCode39SurfaceGeometry;
            graphics::Surface picture1(g.left, g.top, g.width, g.height);
            symbols::SizeCode39Surface(picture1, r.heightFactor, r.fontSize);
            symbols::SizeCode39(symbols::EncodeCode39(r.text), picture1, caption);
            const core::Result<symbols::Code128Area> drawn = symbols::RunCode128Engine(r, picture1);
            ASSERT_TRUE(drawn.ok()) << n;
            const int bars = 11 * (n + 2) + 13;
            if (caption)
                EXPECT_GE(drawn->width, bars) << n;
            else
                EXPECT_EQ(*drawn, (symbols::Code128Area{bars, 41})) << n;
            EXPECT_GE(picture1.PixelWidth(), 2 + drawn->width + 2)
                << n << ": the box holds the whole drawn area, also where Code 39 lacks the characters";
        }
}

TEST_F(Code128Generate, AbWithoutCaption_BarsFromTwoOne_FortyHigh)
{
    testsupport::CheckBox(form, "Check2")->setChecked(false);
    Type(QStringLiteral("AB"));
    EXPECT_EQ(form.Box("Picture1").Image().pixel(2, 1), qRgb(0, 0, 0)) << "the start character's first bar";
    EXPECT_EQ(form.Box("Picture1").Image().pixel(2, 41), qRgb(255, 255, 255)) << "bars are 40 high";
}

TEST_F(Code128Generate, Fnc1First_ReadsAsGs1)
{
    Type(QString(QChar(185)) + QStringLiteral("0112345678901231"));
    const auto r = Read();
    ASSERT_TRUE(r.isValid());
    EXPECT_EQ(r.symbologyIdentifier(), "]C1");
    EXPECT_EQ(r.contentType(), ZXing::ContentType::GS1);
    EXPECT_NE(r.text().find("12345678901231"), std::string::npos) << r.text();
}

TEST_F(Code128Generate, Character16_ReadsBackAsItself)
{
    Type(QStringLiteral("A") + QChar(16) + QStringLiteral("B"));
    EXPECT_EQ(Read().text(), std::string("A\x10" "B"));
}

TEST_F(Code128Generate, TextBeyond321Characters_EncodesTheTrueCheck)
{
    const QString text(330, QLatin1Char('~')); // the largest products, 330 x 94
    Type(text);
    EXPECT_EQ(QString::fromStdString(Read().text()), text);
}

TEST_F(Code128Generate, RejectedCharacter_ShowsTheMessageOnce_DrawsNothing_AndTheWindowGoesOn)
{
    form.show();
    Type(QStringLiteral("A\tB"));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], kMessage + QStringLiteral("(Code 128 B can't encode U+0009 (character 2): it takes printable ASCII characters only)"))
        << "the engine's message, then the reason";
    ASSERT_TRUE(form.LastGenerate().failed()) << "a batch counts the line as not printed as asked";
    EXPECT_EQ(form.LastGenerate().failure().code, 54548);
    EXPECT_FALSE(form.Box("Picture2").Picture().has_value());
    EXPECT_TRUE(AllWhite(form.Box("Picture1").Image()));

    EXPECT_TRUE(form.isVisible());
    Type(QStringLiteral("AB"));
    EXPECT_EQ(Read().text(), "AB");
    EXPECT_EQ(messages.texts.size(), 1);
}

TEST_F(Code128Generate, UnusableFontSize_TakesTheErrorPath)
{
    struct Case { const char* text; bool drawn; };
    const Case cases[] = {
        {"8", true},
        {"8.5", true},          // rounds to 8
        {"0", false},           // the engine refuses size 0
        {"-4", false},
        {"abc", false},         // not a number
        {"", false},
        {"3000000000", false},  // beyond 32 bits
        {"1e300", false},
    };
    for (const auto& c : cases) {
        messages.texts.clear();
        testsupport::Line(form, "Text3")->setText(QString::fromLatin1(c.text));
        Type(QStringLiteral("FONT"));
        EXPECT_EQ(form.Box("Picture2").Picture().has_value(), c.drawn) << c.text;
        EXPECT_EQ(messages.texts.size(), c.drawn ? 0 : 1) << c.text;
    }
}

TEST(Code128FontSize, FromText3)
{
    const std::pair<const char*, int> cases[] = {
        {"8", 8}, {" 12 ", 12}, {"8.5", 8}, {"9.5", 10}, {"-3", -3}, {"abc", 0}, {"", 0},
        {"2147483647", 2147483647}, {"2147483648", 0}, {"-2147483649", 0},
    };
    for (const auto& [text, size] : cases)
        EXPECT_EQ(symbols::EngineFontSize(core::ParseNumber(QString::fromLatin1(text))), size) << text;
}

TEST_F(Code128Generate, HugeFontSize_StillDrawsTheBars)
{
    testsupport::CheckBox(form, "Check2")->setChecked(true);
    testsupport::Line(form, "Text3")->setText(QStringLiteral("100000"));
    Type(QStringLiteral("HUGE"));
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(Read().text(), "HUGE");
}
