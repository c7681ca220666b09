// The renderer: its encoders, geometry of bars and text, and Codabar read
// back by an independent decoder.
#include "graphics/PictureBox.h"
#include "services/Messages.h"
#include "symbols/BarPattern.h"
#include "symbols/Codabar.h"
#include "symbols/Interleaved25.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>
#include <vector>

using graphics::PictureBox;
using symbols::DrawPattern;

namespace {

// A surface like Picture5: pixel scale, 73 pixels high.
PictureBox MakeSurface(int widthPx = 800)
{
    PictureBox box(240, 120, widthPx * 15.0, 1095);
    box.SetScaleMode(graphics::ScaleMode::Pixels);
    return box;
}

bool Dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

std::vector<int> DarkColumns(const QImage& img, int y)
{
    std::vector<int> cols;
    for (int x = 0; x < img.width(); ++x)
        if (Dark(img, x, y))
            cols.push_back(x);
    return cols;
}

bool RowIsBlank(const QImage& img, int y) { return DarkColumns(img, y).empty(); }

// Encodes `text` and draws its pattern from (1, 20), bars 14 high, as the
// pattern surface does; what the encoder said.
core::Status Draw(symbols::PatternEncoder encode, QString& text, PictureBox& box, symbols::ModuleWidths widths,
                  bool withText)
{
    const symbols::EncodedPattern e = encode(text);
    DrawPattern(box, {widths, 14, withText, e.bearers}, 1, 20, text, e.pattern);
    return e.status;
}

} // namespace

TEST(BarPattern, StartAndStopOfInterleaved25_EveryElementWholePixels)
{
    // "1111" "311" from x = 1: bars of 2, 2, 6 and 2 pixels with 2-pixel
    // spaces; with 3-pixel spaces the bars move on by one pixel a space.
    struct Case {
        symbols::ModuleWidths widths;
        std::vector<int> bars;
    };
    const Case cases[] = {
        {{2, 2}, {1, 2, 5, 6, 9, 10, 11, 12, 13, 14, 17, 18}},
        {{2, 3}, {1, 2, 6, 7, 11, 12, 13, 14, 15, 16, 20, 21}},
    };
    for (const Case& c : cases) {
        PictureBox box = MakeSurface();
        DrawPattern(box, {c.widths, 14, false, false}, 1, 20, QStringLiteral("x"), QStringLiteral("1111311"));
        const QImage img = box.Image();
        for (int y = 20; y < 34; ++y)
            EXPECT_EQ(DarkColumns(img, y), c.bars) << "row " << y << ", spaces " << c.widths.space;
        EXPECT_TRUE(RowIsBlank(img, 19));
        EXPECT_TRUE(RowIsBlank(img, 34));
    }
}

TEST(BarPattern, NearestModuleWidths_WholePixelsNearTheTarget)
{
    // 56 modules of bars and 56 of spaces, as "QV-0001" in Code 128.
    const symbols::PatternModules m{56, 56};
    struct Case {
        double target;
        symbols::ModuleWidths widths;
        const char* why;
    };
    const Case cases[] = {
        {0, {1, 1}, "never under one pixel a module"},
        {50, {1, 1}, "too narrow a target gives the narrowest symbol"},
        {230, {2, 2}, "2 pixels a module"},
        {280, {2, 2}, "3-pixel spaces at 2-pixel bars would not read, though they hit the target"},
        {392, {3, 4}, "spaces a third wider from 3 pixels on"},
        {340, {3, 3}, "nearest"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(symbols::NearestModuleWidths(m, c.target), c.widths) << c.why;
    }
    EXPECT_EQ(symbols::PatternWidth(QStringLiteral("2112141"), {2, 3}), 5 * 2 + 7 * 3);
    EXPECT_EQ(symbols::PatternWidth(QString(), {2, 2}), 0);
}

TEST(BarPattern, Text_IsPrintedLeftAlignedFourUnitsBelowTheBars_OnlyWhenAsked)
{
    for (bool withText : {true, false}) {
        PictureBox box = MakeSurface();
        box.SetFontSize(9);
        QString text = QStringLiteral("HELLO");
        ASSERT_TRUE(Draw(symbols::Code128BPatternOf, text, box, {2, 2}, withText).ok());
        const QImage img = box.Image();
        int textTop = -1, textLeft = img.width();
        for (int y = 34; y < img.height(); ++y)
            for (int x : DarkColumns(img, y)) {
                if (textTop < 0)
                    textTop = y;
                textLeft = std::min(textLeft, x);
            }
        if (!withText) {
            EXPECT_EQ(textTop, -1) << "nothing below the bars";
            EXPECT_EQ(box.FontSize(), 9) << "the font size is left as it was";
            continue;
        }
        EXPECT_EQ(box.FontSize(), 16);
        EXPECT_GE(textTop, 38) << "text starts at y = 20 x 1.2 + 14";
        EXPECT_LT(textTop, 38 + 8);
        EXPECT_LE(textLeft, 1 + 4) << "text starts at left, not centred";
        EXPECT_NEAR(box.CurrentY(), 38 + box.TextHeight(text), 1e-6);
    }
}

TEST(BarPattern, Encoders_ChangeTheTextAsTheySay)
{
    struct Case {
        const char* reason;
        symbols::PatternEncoder encode;
        QString text, changed, pattern;
    };
    const Case cases[] = {
        {"odd 25 text gets a 0 at the end", symbols::Interleaved25PatternOf, QStringLiteral("12345"),
         QStringLiteral("123450"), symbols::Interleaved25Pattern(QStringLiteral("123450")).pattern},
        {"even 25 text is kept", symbols::Interleaved25PatternOf, QStringLiteral("1234"), QStringLiteral("1234"),
         symbols::Interleaved25Pattern(QStringLiteral("1234")).pattern},
        {"Codabar upper-cases", symbols::CodabarPatternOf, QStringLiteral("a12b"), QStringLiteral("A12B"),
         symbols::CodabarPattern(QStringLiteral("A12B"))},
    };
    for (const auto& c : cases) {
        QString text = c.text;
        const symbols::EncodedPattern e = c.encode(text);
        EXPECT_EQ(text, c.changed) << c.reason;
        EXPECT_EQ(e.pattern, c.pattern) << c.reason;
    }
}

TEST(BarPattern, Interleaved25Failure_DrawsThePartialPattern)
{
    PictureBox box = MakeSurface();
    QString text = QStringLiteral("12A4");
    ASSERT_TRUE(Draw(symbols::Interleaved25PatternOf, text, box, {2, 2}, false).failed());
    // Start and the pair 12: seven bars.
    const auto cols = DarkColumns(box.Image(), 25);
    int bars = 0;
    for (std::size_t i = 0; i < cols.size(); ++i)
        bars += (i == 0 || cols[i] != cols[i - 1] + 1);
    EXPECT_EQ(bars, 2 + 5);
}

TEST(BarPattern, Codabar_RoundTripThroughTheRenderer)
{
    // zxing-cpp reads Codabar of two characters or more and drops the A start and stop.
    const char* texts[] = {"12", "0123456789", "-$:/.+", "31117013206375", "1x2-3"};
    for (const char* t : texts) {
        for (bool withText : {false, true}) {
            PictureBox box = MakeSurface(1200);
            QString text = QString::fromLatin1(t);
            ASSERT_TRUE(Draw(symbols::CodabarPatternOf, text, box, {2, 2}, withText).ok());
            const auto d = testsupport::DecodeOne(testsupport::WithQuietZone(box.Image()), ZXing::BarcodeFormat::Codabar);
            QString expected = text;
            expected.remove(QLatin1Char('X')); // left out of the symbol, still printed
            EXPECT_EQ(QString::fromStdString(d.text), expected)
                << t << (withText ? " with text" : "");
        }
    }
}
