#include "symbols/Code128Engine.h"
#include "tests/graphics/RecordingDC.h"
#include "tests/symbols/Code128Fixture.h"

#include <cstring>
#include <limits>
#include <gtest/gtest.h>

using namespace symbols;
using graphics::RECT;
using testsupport::GenerateRecord;
using testsupport::RecordingDC;

namespace {

std::vector<RECT> Rectangles(const RecordingDC& dc)
{
    std::vector<RECT> out;
    for (const auto& c : dc.Calls("Rectangle"))
        out.push_back({int(c.args[0]), int(c.args[1]), int(c.args[2]), int(c.args[3])});
    return out;
}

// DrawTextA calls as (rectangle, format).
std::vector<std::pair<RECT, int>> DrawTexts(const RecordingDC& dc)
{
    std::vector<std::pair<RECT, int>> out;
    for (const auto& c : dc.Calls("DrawTextA"))
        out.push_back({{int(c.args[0]), int(c.args[1]), int(c.args[2]), int(c.args[3])}, int(c.args[4])});
    return out;
}

// The fake measures 6 units per character, tmHeight 13, internal leading 2.
struct Drawn {
    RecordingDC dc;
    core::Status status;
    Code128Area area;
    explicit Drawn(const Code128Params& p)
    {
        const core::Result<Elements> encoded = EncodeCode128Record(p);
        if (encoded.failed())
            status = encoded.failure();
        area = DrawCode128(p, encoded.value_or({}), &dc);
    }
    RECT background() const { return Rectangles(dc).at(0); }
    RECT firstBar() const { return Rectangles(dc).at(1); }
    RECT lastBar() const { return Rectangles(dc).back(); }
};

} // namespace

TEST(Code128Drawing, AbWithoutCaption_HasTheWorkedSizes)
{
    Drawn d(GenerateRecord(QStringLiteral("AB")));
    ASSERT_TRUE(d.status.ok());
    EXPECT_EQ(d.background(), (RECT{2, 1, 61, 42}));
    EXPECT_EQ(d.firstBar(), (RECT{2, 1, 4, 41})) << "start B begins with a 2-module bar at x 2, y 1..41";
    EXPECT_EQ(d.lastBar(), (RECT{57, 1, 59, 41})) << "the stop's final bar ends at barX + W";
    EXPECT_EQ(Rectangles(d.dc).size(), 1u + 4 * 3 + 4) << "three bars per character, four in the stop";
    EXPECT_EQ(d.area.width, 57);
    EXPECT_EQ(d.area.height, 41);
    EXPECT_TRUE(DrawTexts(d.dc).empty());
}

TEST(Code128Drawing, WithoutCheckCharacter_ElevenModulesNarrower)
{
    auto p = GenerateRecord(QStringLiteral("AB"));
    p.AddCheckCharacter = 0;
    p.ModuleWidth = 2;
    Drawn d(p);
    EXPECT_EQ(d.area.width, 2 * (57 - 11));
    EXPECT_EQ(d.lastBar().right, 2 + 2 * 46);
}

TEST(Code128Drawing, CaptionPlacement)
{
    struct Case {
        const char* reason;
        int left, position;
        QString caption;
        RECT background, firstBar, textRect;
        int totalWidth, totalHeight;
    };
    const QString wide(10, QLatin1Char('W')); // 60 units: wider than the 57 of AB
    const Case cases[] = {
        {"below, narrower: text ends at the symbol's right end", 2, 1, QStringLiteral("AB"),
         {2, 1, 61, 60}, {2, 1, 4, 41}, {2, 45, 59, 58}, 57, 40 + 4 + 13 + 2},
        {"above: bars start at T + cy + G + 1", 2, 2, QStringLiteral("AB"),
         {2, 1, 61, 60}, {2, 19, 4, 59}, {2, 1, 59, 18}, 57, 40 + 4 + 13 + 2},
        {"below, wider: background grows by two leadings, leftover 7 puts bars at 5.5 -> 6", 2, 1, wide,
         {2, 1, 68, 60}, {6, 1, 8, 41}, {2, 45, 66, 58}, 64, 59},
        {"same with left 3: 6.5 -> 6, halves to even", 3, 1, wide,
         {3, 1, 69, 60}, {6, 1, 8, 41}, {3, 45, 67, 58}, 64, 59},
        {"above, wider: the text rectangle takes one leading only", 2, 2, wide,
         {2, 1, 68, 60}, {6, 19, 8, 59}, {2, 1, 64, 18}, 64, 59},
    };
    for (const auto& c : cases) {
        auto p = GenerateRecord(QStringLiteral("AB"), c.caption);
        p.Left = c.left;
        p.CaptionPosition = c.position;
        Drawn d(p);
        ASSERT_TRUE(d.status.ok()) << c.reason;
        EXPECT_EQ(d.background(), c.background) << c.reason;
        EXPECT_EQ(d.firstBar(), c.firstBar) << c.reason;
        const auto texts = DrawTexts(d.dc);
        ASSERT_EQ(texts.size(), 1u) << c.reason;
        EXPECT_EQ(texts[0].first, c.textRect) << c.reason;
        EXPECT_EQ(d.area.width, c.totalWidth) << c.reason;
        EXPECT_EQ(d.area.height, c.totalHeight) << c.reason;
    }
}

TEST(Code128Drawing, Alignment_PlacesTheCaptionInItsRectangle)
{
    // Caption "AB" is 12 units wide in a rectangle from 2 to 59.
    struct Case {
        const char* reason;
        int alignment;
        int format, x;
    };
    const Case cases[] = {
        {"left", 1, 0, 2},
        {"center: (2 + 59 - 12) / 2", 2, 1, 24},
        {"right: 59 - 12", 3, 2, 47},
    };
    for (const auto& c : cases) {
        auto p = GenerateRecord(QStringLiteral("AB"), QStringLiteral("AB"));
        p.Alignment = c.alignment;
        Drawn d(p);
        const auto texts = DrawTexts(d.dc);
        ASSERT_EQ(texts.size(), 1u) << c.reason;
        EXPECT_EQ(texts[0].second, c.format) << c.reason;
        ASSERT_EQ(d.dc.texts.size(), 1u) << c.reason;
        EXPECT_EQ(d.dc.texts[0].x, c.x) << c.reason;
        EXPECT_EQ(d.dc.texts[0].y, 45) << c.reason;
    }
}

TEST(Code128Drawing, Justify_SpreadsOneStepPerCharacter)
{
    auto p = GenerateRecord(QStringLiteral("AB"), QStringLiteral("AB"));
    p.Alignment = 4;
    Drawn d(p);
    // w = 57, n = 2: step 28.5 goes to 28; extra = 28 - tmAveCharWidth 5.
    const auto extra = d.dc.Calls("SetTextCharacterExtra");
    ASSERT_EQ(extra.size(), 1u);
    EXPECT_EQ(extra[0].args[0], 23);
    const auto texts = DrawTexts(d.dc);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], std::make_pair(RECT{2, 45, 59, 58}, 1024 | 1)) << "measured first";
    EXPECT_EQ(texts[1], std::make_pair(RECT{2, 45, 60, 58}, 1)) << "then drawn in the measured extent 2 x (6 + 23)";
    ASSERT_EQ(d.dc.texts.size(), 1u);
    EXPECT_EQ(d.dc.texts[0].charExtra, 23);
}

TEST(Code128Drawing, Rotation2_DrawsNoBarsAndFillsNoArea)
{
    auto p = GenerateRecord(QStringLiteral("AB"), QStringLiteral("AB"));
    p.Rotation = 2;
    Drawn d(p);
    EXPECT_TRUE(d.status.ok());
    EXPECT_EQ(Rectangles(d.dc).size(), 1u) << "the background only";
    EXPECT_TRUE(DrawTexts(d.dc).empty());
    EXPECT_EQ(d.area.width, 0);
    EXPECT_EQ(d.area.height, 0);
    ASSERT_FALSE(d.dc.fontsSelected.empty());
    EXPECT_EQ(d.dc.fontsSelected[0].lfEscapement, 1800);
}

TEST(Code128Drawing, CaptionFont_FollowsTheRecord)
{
    struct Case {
        const char* reason;
        int style, rotation, dpiIndex;
        int weight, italic, underline, strikeout, escapement;
    };
    const Case cases[] = {
        {"plain", 0, 0, 90, 400, 0, 0, 0, 3600},
        {"style 15: every attribute", 15, 0, 90, 700, 255, 1, 1, 3600},
        {"style 6: italic and underline", 6, 0, 90, 400, 255, 1, 0, 3600},
        {"rotation 1 takes the horizontal resolution", 0, 1, 88, 400, 0, 0, 0, 900},
        {"rotation 3", 0, 3, 88, 400, 0, 0, 0, 2700},
    };
    for (const auto& c : cases) {
        auto p = GenerateRecord(QStringLiteral("AB"));
        p.FontStyle = c.style;
        p.Rotation = c.rotation;
        Drawn d(p);
        ASSERT_FALSE(d.dc.fontsSelected.empty()) << c.reason;
        const auto& lf = d.dc.fontsSelected[0];
        EXPECT_EQ(lf.lfHeight, -11) << c.reason << ": -MulDiv(8, 96, 72)";
        EXPECT_EQ(lf.lfWeight, c.weight) << c.reason;
        EXPECT_EQ(lf.lfItalic, c.italic) << c.reason;
        EXPECT_EQ(lf.lfUnderline, c.underline) << c.reason;
        EXPECT_EQ(lf.lfStrikeOut, c.strikeout) << c.reason;
        EXPECT_EQ(lf.lfEscapement, c.escapement) << c.reason;
        EXPECT_EQ(lf.lfPitchAndFamily, 2) << c.reason;
        EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif") << c.reason;
        EXPECT_EQ(d.dc.Calls("GetDeviceCaps").at(0).args[0], c.dpiIndex) << c.reason;
    }
}

TEST(Code128Drawing, EveryPath_DeletesEachObjectOnce_AndLeavesTheStockSelection)
{
    const int failed = graphics::FailedGdiDeletes();
    for (int rotation : {0, 1, 2, 3})
        for (int position : {1, 2})
            for (int alignment : {1, 2, 3, 4})
                for (const QString& caption : {QString(), QStringLiteral("AB"), QString(12, QLatin1Char('W'))}) {
                    auto p = GenerateRecord(QStringLiteral("AB"), caption);
                    p.Rotation = rotation;
                    p.CaptionPosition = position;
                    p.Alignment = alignment;
                    const int live = graphics::LiveGdiObjects();
                    RecordingDC dc;
                    const auto font = dc.font;
                    DrawCode128(p, *EncodeCode128Record(p), &dc);
                    EXPECT_EQ(graphics::LiveGdiObjects(), live) << rotation << position << alignment;
                    EXPECT_EQ(dc.brush, graphics::GetStockObject(graphics::NULL_BRUSH));
                    EXPECT_EQ(dc.pen, graphics::GetStockObject(graphics::BLACK_PEN));
                    EXPECT_EQ(dc.font, font) << "the caption font is deselected before it is deleted";
                    EXPECT_EQ(dc.bkMode, graphics::TRANSPARENT);
                }
    EXPECT_EQ(graphics::FailedGdiDeletes(), failed);
}

TEST(Code128Drawing, ExtremeRecords_DrawWithoutOverflow)
{
    auto p = GenerateRecord(QString(500, QLatin1Char('~')), QStringLiteral("X"));
    p.ModuleWidth = 2'000'000'000;
    p.Left = 2'000'000'000;
    p.BarHeight = 2'000'000'000;
    p.FontSize = 2'000'000'000;
    Drawn d(p);
    EXPECT_TRUE(d.status.ok());
    EXPECT_EQ(d.area.width, std::numeric_limits<int>::max()) << "held at the 32-bit limit";
}
