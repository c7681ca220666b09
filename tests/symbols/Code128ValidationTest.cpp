#include "symbols/Code128Engine.h"
#include "tests/graphics/RecordingDC.h"
#include "tests/symbols/Code128Fixture.h"

#include <functional>
#include <gtest/gtest.h>

using namespace symbols;
using testsupport::GenerateRecord;

namespace {

struct Case {
    const char* reason;
    std::function<void(Code128Params&)> change;
    std::int32_t expected;
};

QString Chars(std::initializer_list<char16_t> codes)
{
    QString s;
    for (char16_t c : codes)
        s += QChar(c);
    return s;
}

} // namespace

TEST(Code128Validation, FieldChecksInOrder_CharacterCheckOverrides_SpecialsAccepted)
{
    const Case cases[] = {
        {"the record Generate passes", [](Code128Params&) {}, 0},
        {"module width 0", [](Code128Params& p) { p.ModuleWidth = 0; }, kBadModuleWidth},
        {"module width negative", [](Code128Params& p) { p.ModuleWidth = -3; }, kBadModuleWidth},
        {"bar height 0", [](Code128Params& p) { p.BarHeight = 0; }, kBadBarHeight},
        {"module width checked before bar height", [](Code128Params& p) { p.ModuleWidth = 0; p.BarHeight = 0; }, kBadModuleWidth},
        {"alignment 0", [](Code128Params& p) { p.Alignment = 0; }, kBadAlignment},
        {"alignment 5", [](Code128Params& p) { p.Alignment = 5; }, kBadAlignment},
        {"alignment checked before font size", [](Code128Params& p) { p.Alignment = 0; p.FontSize = 0; }, kBadAlignment},
        {"font size 0", [](Code128Params& p) { p.FontSize = 0; }, kBadFont},
        {"font size -1", [](Code128Params& p) { p.FontSize = -1; }, kBadFont},
        {"empty font name", [](Code128Params& p) { p.FontName.clear(); }, kBadFont},
        {"font name of 30 characters fits the face field", [](Code128Params& p) { p.FontName = QString(30, QLatin1Char('F')); }, 0},
        {"font name of 31 characters does not", [](Code128Params& p) { p.FontName = QString(31, QLatin1Char('F')); }, kBadFont},
        {"font style 16", [](Code128Params& p) { p.FontStyle = 16; }, kBadFont},
        {"font style -1", [](Code128Params& p) { p.FontStyle = -1; }, kBadFont},
        {"font style 15 is every bit", [](Code128Params& p) { p.FontStyle = 15; }, 0},
        {"rotation 4", [](Code128Params& p) { p.Rotation = 4; }, kBadFont},
        {"rotation 3 is valid", [](Code128Params& p) { p.Rotation = 3; }, 0},
        {"symbology 15", [](Code128Params& p) { p.Symbology = 15; }, kBadSymbology},
        {"symbology checked before caption position", [](Code128Params& p) { p.Symbology = 15; p.CaptionPosition = 3; }, kBadSymbology},
        {"caption position 3", [](Code128Params& p) { p.CaptionPosition = 3; }, kBadCaptionPosition},
        {"caption position 0", [](Code128Params& p) { p.CaptionPosition = 0; }, kBadCaptionPosition},
        {"tab in the text", [](Code128Params& p) { p.Text = QStringLiteral("A\tB"); }, kBadCharacter},
        {"character check overrides a field error", [](Code128Params& p) { p.BarHeight = 0; p.Text = QStringLiteral("A\tB"); }, kBadCharacter},
        {"character 15", [](Code128Params& p) { p.Text = QStringLiteral("AB") + QChar(15); }, kBadCharacter},
        {"e acute", [](Code128Params& p) { p.Text = QStringLiteral("caf\u00e9"); }, kBadCharacter},
        {"euro sign", [](Code128Params& p) { p.Text = QStringLiteral("10\u20ac"); }, kBadCharacter},
        {"a character beyond the code page", [](Code128Params& p) { p.Text = QStringLiteral("\u4e2d"); }, kBadCharacter},
        {"FNC1 after letters", [](Code128Params& p) { p.Text = QStringLiteral("ABC") + QChar(185); }, 0},
        {"the five specials", [](Code128Params& p) { p.Text = Chars({16, 178, 179, 185, 188}); }, 0},
        {"tilde and DEL", [](Code128Params& p) { p.Text = Chars({126, 127}); }, 0},
        {"space through DEL", [](Code128Params& p) { p.Text.clear(); for (char16_t c = 32; c <= 127; ++c) p.Text += QChar(c); }, 0},
        {"empty text with valid fields", [](Code128Params& p) { p.Text.clear(); }, 0},
        {"empty text still reports a field error", [](Code128Params& p) { p.Text.clear(); p.FontSize = 0; }, kBadFont},
    };
    for (const auto& c : cases) {
        Code128Params p = GenerateRecord(QStringLiteral("AB"));
        c.change(p);
        const core::Result<Elements> encoded = EncodeCode128Record(p);
        EXPECT_EQ(encoded.failed() ? encoded.failure().code : 0, c.expected) << c.reason;
        if (c.expected != 0 || p.Text.isEmpty()) {
            EXPECT_TRUE(encoded.value_or({}).empty()) << c.reason;
            testsupport::RecordingDC dc;
            const int live = graphics::LiveGdiObjects();
            EXPECT_EQ(DrawCode128(p, encoded.value_or({}), &dc), Code128Area{}) << c.reason;
            EXPECT_TRUE(dc.calls.empty()) << c.reason << ": nothing is drawn";
            EXPECT_EQ(graphics::LiveGdiObjects(), live) << c.reason;
        }
    }
}
