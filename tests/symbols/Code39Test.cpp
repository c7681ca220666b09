#include "graphics/PictureBox.h"
#include "symbols/Code39.h"
#include "tests/support/Decode.h"
#include "tests/symbols/ReferenceModules.h"

#include <gtest/gtest.h>

using graphics::PictureBox;
using graphics::ScaleMode;
using symbols::DrawCode39;
using symbols::EncodeCode39;

namespace {

// A box like the main window's Picture1 after start-up: pixel scale,
// inner height about 56 pixels, reset to 100 twips wide as Generate does.
PictureBox MakeBox(double heightPx = 56)
{
    PictureBox box(240, 120, 6615, heightPx * 15);
    box.SetScaleMode(ScaleMode::Pixels);
    box.SetWidth(100);
    return box;
}

QString Drawn(const QString& text, bool withText = false, double heightPx = 56)
{
    PictureBox box = MakeBox(heightPx);
    DrawCode39(EncodeCode39(text), box, withText);
    const auto d = testsupport::DecodeOne(testsupport::WithQuietZone(box.Image()), ZXing::BarcodeFormat::Code39);
    return QString::fromStdString(d.text);
}

} // namespace

TEST(Code39, Encoder_ModulesMatchAnIndependentWriter)
{
    for (const char* text : {"A", "CODE-39", "$/+%", "HELLO WORLD", "0123456789"}) {
        const auto symbol = EncodeCode39(QString::fromLatin1(text));
        // One space before the start and one after the stop.
        const std::string reference = testsupport::ReferenceModules(ZXing::BarcodeFormat::Code39, text);
        EXPECT_EQ(testsupport::ModuleRow(symbol.elements), "0" + reference + "0") << text;
    }
}

TEST(Code39, RoundTrip_EveryCharacterOfTheSetDecodes)
{
    const char* texts[] = {
        "0123456789", "ABCDEFGHIJ", "KLMNOPQRST", "UVWXYZ", "- .$/+%", "A1 B2-C3.D4", "HELLO WORLD", "X",
        "$100.00", "A/B+C%D",
    };
    for (const char* t : texts) {
        for (bool withText : {false, true})
            EXPECT_EQ(Drawn(QString::fromLatin1(t), withText), QString::fromLatin1(t)) << t << " text " << withText;
    }
}

TEST(Code39, RoundTrip_LowerCaseDecodesAsUpperCase)
{
    EXPECT_EQ(Drawn(QStringLiteral("abc-123")), QStringLiteral("ABC-123"));
}

TEST(Code39, RoundTrip_UncoveredCharactersAreSkipped)
{
    struct Case { const char* in; const char* decoded; const char* why; };
    const Case cases[] = {
        {"A#B", "AB", "# has an empty entry"},
        {"A@B", "AB", "@ has an empty entry"},
        {"A!B", "AB", "! is not in the table"},
        {"A[B~", "AB", "codes above 90 are skipped"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Drawn(QString::fromLatin1(c.in)), QString::fromLatin1(c.decoded)) << c.why;
}

TEST(Code39, RoundTrip_TallerBoxesUseWiderModules)
{
    // (At 20 pixels the 1.5 text lines kept free below the bars leave no
    // room for bars at all, printed text or not.)
    for (double h : {56.0, 80.0, 140.0})
        EXPECT_EQ(Drawn(QStringLiteral("CODE39"), true, h), QStringLiteral("CODE39")) << h;
}

TEST(Code39, EmptyTextClearsAndLeavesWidth)
{
    PictureBox box = MakeBox();
    box.LineBoxFilled(0, 0, 5, 5, graphics::kBlack);
    const double width = box.Width();
    QString t;
    DrawCode39(EncodeCode39(t), box, true);
    EXPECT_EQ(box.Width(), width);
    EXPECT_EQ(box.Image().pixel(1, 1), QColor(Qt::white).rgb());
}

// Module sizes: ScaleHeight / 40, halves to even, at least 1. Measured as
// the width of the first bar of the start character (a narrow bar).
TEST(Code39, ModuleFromScaleHeight)
{
    struct Case { double height; int module; };
    const Case cases[] = {{20, 1}, {80, 2}, {100, 2}, {140, 4}, {56, 1}, {60, 2}};
    for (const auto& c : cases) {
        PictureBox box = MakeBox(c.height);
        QString t = QStringLiteral("A");
        DrawCode39(EncodeCode39(t), box, false);
        const QImage img = box.Image();
        // start "*": space m, bar m (first black run begins at x = m)
        int first = -1, end = -1;
        for (int x = 0; x < img.width(); ++x) {
            const bool black = qGray(img.pixel(x, 0)) < 128;
            if (black && first < 0)
                first = x;
            if (!black && first >= 0) {
                end = x;
                break;
            }
        }
        EXPECT_EQ(first, c.module) << c.height;
        EXPECT_EQ(end - first, c.module) << c.height;
    }
}

// "A" with module 2: 3 x 13 modules + 1 trailing = 80 pixels of symbol.
TEST(Code39, WidthCases)
{
    for (bool withText : {false, true}) {
        PictureBox box = MakeBox(80);
        QString t = QStringLiteral("A");
        DrawCode39(EncodeCode39(t), box, withText);
        EXPECT_DOUBLE_EQ(box.ScaleWidth(), withText ? 82.0 : 99.0) << withText;
        const QImage img = box.Image();
        int lastBlack = -1;
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, 1)) < 128)
                lastBlack = x;
        EXPECT_EQ(lastBlack, 77) << "the stop's last bar ends before the trailing space at 78..79";
    }
}
