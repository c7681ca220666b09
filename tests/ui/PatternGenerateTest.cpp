// Generate for "Code 128-1" and "Code 2/5": drawing on Picture5, the
// stretch to Text9, and what a decoder reads from Picture2 afterwards.
#include "core/Units.h"
#include "graphics/PictureBox.h"
#include "services/Messages.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <vector>

using ui::Form1;

namespace {

struct PatternGenerateTest : ::testing::Test {
    testsupport::TempConfig config;
    services::RecordingSink sink;
    Form1 form{testsupport::Quietly(&sink)};
    void SetUp() override { form.Form_Load(); }

    // Generates `text` with the option and width given; what Picture2 holds.
    QImage Generate(QRadioButton* option, const QString& width, const QString& text)
    {
        option->setChecked(true);
        testsupport::Line(form, "Text9")->setText(width);
        if (testsupport::Line(form, "Text1")->text() == text)
            form.Command1_Click(); // a change of text generates by itself
        else
            testsupport::Line(form, "Text1")->setText(text);
        return form.Box("Picture2").Picture().value_or(QImage());
    }

    static QString Read(const QImage& img, ZXing::BarcodeFormat format)
    {
        return QString::fromStdString(testsupport::DecodeOne(testsupport::WithQuietZone(img), format).text);
    }
};

// Rightmost column with a dark pixel in row y, -1 when none.
int LastDark(const QImage& img, int y)
{
    for (int x = img.width() - 1; x >= 0; --x)
        if (qGray(img.pixel(x, y)) < 128)
            return x;
    return -1;
}

constexpr int kBarRow = 25; // inside the bars: top 20, 14 high

// Every width from the narrowest to twice the drawn one, and none.
const QString kWidths[] = {QStringLiteral("300"), QStringLiteral("500"), QStringLiteral("800"),
                           QStringLiteral("1000"), QStringLiteral("1600"), QString()};

// Widths of the dark and light runs along row y, from the first dark pixel to the last.
std::vector<int> Runs(const QImage& img, int y)
{
    std::vector<int> runs;
    int x = 0;
    while (x < img.width() && qGray(img.pixel(x, y)) >= 128)
        ++x;
    const int end = LastDark(img, y) + 1;
    while (x < end) {
        const bool dark = qGray(img.pixel(x, y)) < 128;
        int n = 0;
        while (x < end && (qGray(img.pixel(x, y)) < 128) == dark)
            ++x, ++n;
        runs.push_back(n);
    }
    return runs;
}

} // namespace

TEST_F(PatternGenerateTest, Code128_PrintableTextsOfOneToFortyCharacters_ReadBack)
{
    const char* texts[] = {
        "A",                                        // shortest
        "~",                                        // last value of the set
        " x ",                                      // blanks at both ends
        "12",                                       // the road of one barcode
        "Hello, World!",                            // mixed case and punctuation
        "\"quoted\" {braces} [brackets] |pipe|",    // characters next to the digits and letters
        "QUORVANE-2026-ABC123",                     // 20 characters, the benchmark text
        "abcdefghijklmnopqrstuvwxyz0",              // 27: just under 800 pixels
        "The quick brown fox jumps over",           // 30: wider than 800 pixels before the stretch
        "!#$%&'()*+,-./:;<=>?@\\^_`0123456789ABCD", // 40: every punctuation mark
        "llllllllllIIIIIIIIIIllllllllllIIIIIIIIII", // 40 narrow-looking letters, l and I distinct
    };
    for (const QString& width : kWidths) {
        for (const char* t : texts) {
            for (bool withText : {false, true}) {
                testsupport::CheckBox(form, "Check2")->setChecked(withText);
                const QString text = QString::fromLatin1(t);
                const QImage img = Generate(testsupport::Radio(form, "Option4"), width, text);
                EXPECT_EQ(Read(img, ZXing::BarcodeFormat::Code128), text)
                    << "Text9 " << width.toStdString() << ", " << text.size() << " characters" << (withText ? ", with text" : "");
            }
        }
    }
}

TEST_F(PatternGenerateTest, Code25_DigitTextsOfSixToTwentyDigits_ReadBack)
{
    const QString digits = QStringLiteral("31415926535897932384");
    for (const QString& width : kWidths) {
        for (int n = 6; n <= 20; ++n) {
            const QString text = digits.left(n);
            const QString expected = n % 2 ? text + QLatin1Char('0') : text; // odd lengths get a 0 at the end
            const QImage img = Generate(testsupport::Radio(form, "Option5"), width, text);
            EXPECT_EQ(Read(img, ZXing::BarcodeFormat::ITF), expected) << "Text9 " << width.toStdString() << ", " << n << " digits";
        }
    }
}

TEST_F(PatternGenerateTest, Stretch_RedrawsWithWholePixelModulesNearTheAskedWidth)
{
    // "Stretch me" has 72 modules of bars and 73 of spaces; "800" asks for
    // 2 pixels a bar module and 2.6 a space module: 334 pixels, scaled by
    // Text9 / 800. The nearest whole-pixel widths are drawn.
    const QString text = QStringLiteral("Stretch me");
    struct Case {
        int text9;
        int bar, space; // pixels a module
    };
    const Case cases[] = {{300, 1, 1}, {500, 1, 1}, {640, 2, 2}, {1000, 3, 3}, {1200, 3, 4}, {1600, 4, 5}};
    testsupport::CheckBox(form, "Check2")->setChecked(true); // the text below leaves the bars alone
    for (const Case& c : cases) {
        const QImage img = Generate(testsupport::Radio(form, "Option4"), QString::number(c.text9), text);
        const auto runs = Runs(img, kBarRow);
        ASSERT_FALSE(runs.empty()) << c.text9;
        int width = 0;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const int unit = i % 2 == 0 ? c.bar : c.space;
            EXPECT_EQ(runs[i] % unit, 0) << "Text9 " << c.text9 << ": element " << i << " is " << runs[i] << " pixels";
            EXPECT_LE(runs[i], 4 * unit) << "Text9 " << c.text9;
            width += runs[i];
        }
        EXPECT_EQ(width, 72 * c.bar + 73 * c.space) << "Text9 " << c.text9;
        EXPECT_EQ(Read(img, ZXing::BarcodeFormat::Code128), text) << "Text9 " << c.text9;
        EXPECT_EQ(core::TwipsToPixels(form.Box("Picture5").Width()), 1333) << "20000 twips, in whole pixels";
    }
}

TEST_F(PatternGenerateTest, Stretch_SymbolWiderThan800Pixels_IsDrawnWholeNotCut)
{
    const QString text = QStringLiteral("A text long enough to be drawn wider than 800 px");
    const QImage drawn = Generate(testsupport::Radio(form, "Option4"), QStringLiteral("800"), text);
    const int drawnRight = LastDark(drawn, kBarRow);
    ASSERT_GT(drawnRight, 800);
    for (int width : {500, 1000, 1600}) {
        const QImage stretched = Generate(testsupport::Radio(form, "Option4"), QString::number(width), text);
        EXPECT_NEAR(LastDark(stretched, kBarRow), drawnRight * width / 800.0, drawnRight * width / 800.0 * 0.35)
            << "Text9 " << width;
        EXPECT_EQ(stretched.height(), drawn.height()) << "height stays 1:1";
        EXPECT_EQ(Read(stretched, ZXing::BarcodeFormat::Code128), text) << "Text9 " << width;
    }
}

TEST_F(PatternGenerateTest, NarrowSurfaceAtStart_IsWidenedSoTheWholeSymbolShows)
{
    // Picture5 starts 441 pixels wide; with Text9 800 nothing else widens it.
    ASSERT_LT(core::TwipsToPixels(form.Box("Picture5").Width()), 450);
    const QString text = QStringLiteral("Forty characters of Code 128, all drawn");
    const QImage img = Generate(testsupport::Radio(form, "Option4"), QStringLiteral("800"), text);
    EXPECT_GT(img.width(), 800);
    EXPECT_EQ(Read(img, ZXing::BarcodeFormat::Code128), text);
}

TEST_F(PatternGenerateTest, Text9ThatAsksForNoStretch_LeavesTheDrawingAsDrawn)
{
    const QString text = QStringLiteral("No stretch");
    const QImage drawn = Generate(testsupport::Radio(form, "Option4"), QStringLiteral("800"), text);
    const char* widths[] = {"", "wide", "-500", "0", "0.4", "800.0"};
    for (const char* w : widths) {
        const QImage img = Generate(testsupport::Radio(form, "Option4"), QString::fromLatin1(w), text);
        EXPECT_EQ(img.copy(0, 0, 800, img.height()), drawn.copy(0, 0, 800, drawn.height())) << "Text9 \"" << w << '"';
        EXPECT_EQ(Read(img, ZXing::BarcodeFormat::Code128), text) << "Text9 \"" << w << '"';
    }
}

TEST_F(PatternGenerateTest, HugeText9_IsHeldToTheWidestSurface)
{
    const QString text = QStringLiteral("Huge");
    for (const char* w : {"1e9", "99999", "1e400"}) {
        const QImage img = Generate(testsupport::Radio(form, "Option4"), QString::fromLatin1(w), text);
        ASSERT_FALSE(img.isNull()) << w;
        EXPECT_LE(img.width(), graphics::PictureBox::kMaxPixels) << w;
        EXPECT_GT(LastDark(img, kBarRow), 0) << w;
    }
}

TEST_F(PatternGenerateTest, Text8_NotANumberFallsBackTo1Point4_AndExtremesDoNotBreakTheDrawing)
{
    const QString text = QStringLiteral("Height");
    testsupport::Line(form, "Text8")->setText(QStringLiteral("1.4"));
    const QImage normal = Generate(testsupport::Radio(form, "Option4"), QStringLiteral("500"), text);
    testsupport::Line(form, "Text8")->setText(QStringLiteral("tall"));
    EXPECT_EQ(Generate(testsupport::Radio(form, "Option4"), QStringLiteral("500"), text), normal);

    for (const char* h : {"-3", "1e30", "1e400", "0"}) {
        testsupport::Line(form, "Text8")->setText(QString::fromLatin1(h));
        const QImage img = Generate(testsupport::Radio(form, "Option4"), QStringLiteral("500"), text);
        EXPECT_FALSE(img.isNull()) << "Text8 " << h;
    }
    testsupport::Line(form, "Text8")->setText(QStringLiteral("1e30")); // bars down to the bottom of the surface
    EXPECT_GT(LastDark(Generate(testsupport::Radio(form, "Option4"), QStringLiteral("500"), text), form.Box("Picture5").Image().height() - 1), 0);
}

TEST_F(PatternGenerateTest, Code25Failure_ShowsTheRunTimeErrorAndKeepsThePartialSymbol)
{
    struct Case {
        const char* reason;
        const char* text;
        int messages;
    };
    const Case cases[] = {
        {"a letter in the second pair", "12A4", 1},
        {"21 digits are padded to 22 and overflow the table", "123456789012345678901", 1},
        {"20 digits is the longest that encodes", "12345678901234567890", 0},
    };
    for (const auto& c : cases) {
        sink.texts.clear();
        const QImage img = Generate(testsupport::Radio(form, "Option5"), QStringLiteral("500"), QString::fromLatin1(c.text));
        ASSERT_EQ(sink.texts.size(), c.messages) << c.reason;
        if (c.messages) {
            EXPECT_EQ(sink.texts[0], QStringLiteral("9\nSubscript out of range")) << c.reason;
        }
        EXPECT_FALSE(img.isNull()) << c.reason << ": the partial pattern is still drawn and kept";
    }
}
