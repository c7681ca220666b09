// Generate for "Code 128-1" and "Code 2/5": drawing on Picture5, the
// stretch to Text9, and what a decoder reads from Picture2 afterwards.
#include "platform/PictureBox.h"
#include "app/Form1.h"
#include "platform/MessageBox.h"
#include "platform/StretchCopy.h"
#include "platform/Units.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

using app::Form1;

namespace {

struct PatternGenerateTest : ::testing::Test {
    testsupport::TempConfig config;
    Form1 form;
    void SetUp() override { form.Form_Load(QString()); }

    // Generates `text` with the option and width given; what Picture2 holds.
    QImage Generate(QRadioButton* option, const QString& width, const QString& text)
    {
        option->setChecked(true);
        form.Text9->setText(width);
        if (form.Text1->text() == text)
            form.Command1_Click(); // a change of text generates by itself
        else
            form.Text1->setText(text);
        return form.Picture2.Picture().value_or(QImage());
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

// Widths at which the drawing reads back. At Text9 "800" the symbol is
// shown as drawn; "1600" doubles every column, so a symbol drawn wider than
// 800 pixels reads back only when it is scaled whole. Narrowing (the
// default "500") merges the 2-pixel modules black-wins into bars twice as
// wide as the spaces, and uneven widening ("1000") repeats every fourth
// column on top of the 1.3-wide spaces; neither keeps Code 128 readable,
// while Interleaved 2 of 5, with only two widths, reads at "1000" too.
const QString kCode128Widths[] = {QStringLiteral("800"), QStringLiteral("1600")};
const QString kCode25Widths[] = {QStringLiteral("800"), QStringLiteral("1000"), QStringLiteral("1600")};

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
    for (const QString& width : kCode128Widths) {
        for (const char* t : texts) {
            for (bool withText : {false, true}) {
                form.Check2->setChecked(withText);
                const QString text = QString::fromLatin1(t);
                const QImage img = Generate(form.Option4, width, text);
                EXPECT_EQ(Read(img, ZXing::BarcodeFormat::Code128), text)
                    << "Text9 " << width.toStdString() << ", " << text.size() << " characters" << (withText ? ", with text" : "");
            }
        }
    }
}

TEST_F(PatternGenerateTest, Code25_DigitTextsOfSixToTwentyDigits_ReadBack)
{
    const QString digits = QStringLiteral("31415926535897932384");
    for (const QString& width : kCode25Widths) {
        for (int n = 6; n <= 20; ++n) {
            const QString text = digits.left(n);
            const QString expected = n % 2 ? text + QLatin1Char('0') : text; // odd lengths get a 0 at the end
            const QImage img = Generate(form.Option5, width, text);
            EXPECT_EQ(Read(img, ZXing::BarcodeFormat::ITF), expected) << "Text9 " << width.toStdString() << ", " << n << " digits";
        }
    }
}

TEST_F(PatternGenerateTest, Stretch_SymbolThatFitsIn800Pixels_IsTheScaledCopyOfTheFirst800)
{
    form.Check2->setChecked(true);
    const QString text = QStringLiteral("Stretch me");
    const QImage drawn = Generate(form.Option4, QStringLiteral("800"), text);
    ASSERT_FALSE(drawn.isNull());

    for (int width : {500, 1000, 123}) {
        const QImage stretched = Generate(form.Option4, QString::number(width), text);
        QImage expected(1333, drawn.height(), QImage::Format_RGB32); // the surfaces are 20000 twips wide
        expected.fill(Qt::white);
        platform::StretchColumns(drawn, 800, expected, width, 800);
        EXPECT_EQ(stretched, expected) << "Text9 " << width;
        for (const platform::PictureBox* box : {&form.Picture5, &form.Picture4, &form.Picture8})
            EXPECT_EQ(platform::TwipsToPixels(box->Width()), 1333) << "20000 twips, in whole pixels";
    }
}

TEST_F(PatternGenerateTest, Stretch_SymbolWiderThan800Pixels_IsScaledWholeNotCut)
{
    const QString text = QStringLiteral("A text long enough to be drawn wider than 800 px");
    const QImage drawn = Generate(form.Option4, QStringLiteral("800"), text);
    const int drawnRight = LastDark(drawn, kBarRow);
    ASSERT_GT(drawnRight, 800);
    for (int width : {500, 1000, 1600}) {
        const QImage stretched = Generate(form.Option4, QString::number(width), text);
        EXPECT_NEAR(LastDark(stretched, kBarRow), drawnRight * width / 800.0, 2) << "Text9 " << width;
        EXPECT_EQ(stretched.height(), drawn.height()) << "height stays 1:1";
    }
    EXPECT_EQ(Read(form.Picture2.Picture().value(), ZXing::BarcodeFormat::Code128), text) << "doubled whole";
}

TEST_F(PatternGenerateTest, NarrowSurfaceAtStart_IsWidenedSoTheWholeSymbolShows)
{
    // Picture5 starts 441 pixels wide; with Text9 800 nothing else widens it.
    ASSERT_LT(platform::TwipsToPixels(form.Picture5.Width()), 450);
    const QString text = QStringLiteral("Forty characters of Code 128, all drawn");
    const QImage img = Generate(form.Option4, QStringLiteral("800"), text);
    EXPECT_GT(img.width(), 1000);
    EXPECT_EQ(Read(img, ZXing::BarcodeFormat::Code128), text);
}

TEST_F(PatternGenerateTest, Text9ThatAsksForNoStretch_LeavesTheDrawingAsDrawn)
{
    const QString text = QStringLiteral("No stretch");
    const QImage drawn = Generate(form.Option4, QStringLiteral("800"), text);
    const char* widths[] = {"", "wide", "-500", "0", "0.4", "800.0"};
    for (const char* w : widths) {
        const QImage img = Generate(form.Option4, QString::fromLatin1(w), text);
        EXPECT_EQ(img.copy(0, 0, 800, img.height()), drawn.copy(0, 0, 800, drawn.height())) << "Text9 \"" << w << '"';
        EXPECT_EQ(Read(img, ZXing::BarcodeFormat::Code128), text) << "Text9 \"" << w << '"';
    }
}

TEST_F(PatternGenerateTest, HugeText9_IsHeldToTheWidestSurface)
{
    const QString text = QStringLiteral("Huge");
    for (const char* w : {"1e9", "99999", "1e400"}) {
        const QImage img = Generate(form.Option4, QString::fromLatin1(w), text);
        ASSERT_FALSE(img.isNull()) << w;
        EXPECT_LE(img.width(), platform::PictureBox::kMaxPixels) << w;
        EXPECT_GT(LastDark(img, kBarRow), 0) << w;
    }
}

TEST_F(PatternGenerateTest, Text8_NotANumberFallsBackTo1Point4_AndExtremesDoNotBreakTheDrawing)
{
    const QString text = QStringLiteral("Height");
    form.Text8->setText(QStringLiteral("1.4"));
    const QImage normal = Generate(form.Option4, QStringLiteral("500"), text);
    form.Text8->setText(QStringLiteral("tall"));
    EXPECT_EQ(Generate(form.Option4, QStringLiteral("500"), text), normal);

    for (const char* h : {"-3", "1e30", "1e400", "0"}) {
        form.Text8->setText(QString::fromLatin1(h));
        const QImage img = Generate(form.Option4, QStringLiteral("500"), text);
        EXPECT_FALSE(img.isNull()) << "Text8 " << h;
    }
    form.Text8->setText(QStringLiteral("1e30")); // bars down to the bottom of the surface
    EXPECT_GT(LastDark(Generate(form.Option4, QStringLiteral("500"), text), form.Picture5.Image().height() - 1), 0);
}

TEST_F(PatternGenerateTest, Code25Failure_ShowsTheRunTimeErrorAndKeepsThePartialSymbol)
{
    platform::RecordingSink sink;
    platform::ScopedMessageSink guard(&sink);
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
        const QImage img = Generate(form.Option5, QStringLiteral("500"), QString::fromLatin1(c.text));
        ASSERT_EQ(sink.texts.size(), c.messages) << c.reason;
        if (c.messages) {
            EXPECT_EQ(sink.texts[0], QStringLiteral("9\nSubscript out of range")) << c.reason;
        }
        EXPECT_FALSE(img.isNull()) << c.reason << ": the partial pattern is still drawn and kept";
    }
}
