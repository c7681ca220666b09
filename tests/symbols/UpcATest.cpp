#include "graphics/PictureBox.h"
#include "symbols/UpcA.h"
#include "tests/support/Decode.h"
#include "tests/symbols/ReferenceModules.h"

#include <gtest/gtest.h>

using graphics::PictureBox;
using symbols::EncodeUpcA;
using symbols::UpcALayout;

namespace {

// A box like the main window's Picture9: twips scale, 337 x 73 pixels.
PictureBox MakeBox() { return PictureBox(240, 0, 5055, 1095); }

constexpr int kBarRow = 27;    // a pixel row through the bars (twips 200 to 600 are rows 13 to 39)
constexpr int kFirstPixel = 16; // 250 twips

// Encodes and draws as Generate does; returns the check digit.
int DrawUpcA(PictureBox& box, const QString& text, bool withText)
{
    const symbols::UpcASymbol symbol = EncodeUpcA(text);
    symbols::DrawUpcA(box, symbol, withText);
    return symbol.check;
}

bool Dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

std::string Row(const QImage& img, int y, int from, int count)
{
    std::string s;
    for (int x = from; x < from + count; ++x)
        s += Dark(img, x, y) ? '1' : '0';
    return s;
}

bool AnyDarkInRows(const QImage& img, int top, int bottom)
{
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Dark(img, x, y))
                return true;
    return false;
}

} // namespace

TEST(UpcA, Encoder_ModulesMatchAnIndependentWriter)
{
    for (const char* code : {"03600029145", "12345678901", "74185296307"}) {
        const auto symbol = EncodeUpcA(QString::fromLatin1(code));
        ASSERT_TRUE(symbol.status.ok()) << code;
        const std::string digits = symbol.digits.toStdString();
        EXPECT_EQ(digits.substr(0, 11), code);
        // The 95 modules, then the light one that closes the right guard.
        EXPECT_EQ(testsupport::ModuleRow(symbol.elements),
                  testsupport::ReferenceModules(ZXing::BarcodeFormat::UPCA, digits) + "0") << code;
    }
}

TEST(UpcA, Layout_GuardAt250_FirstDigitOneGuardLater_ElementsOverlapByOneLine)
{
    const auto e = UpcALayout(EncodeUpcA(QStringLiteral("03600029145")).elements);
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e[0].x, 250);
    EXPECT_TRUE(e[0].bar);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(e[static_cast<std::size_t>(i)].lines, 16) << "guard elements are one module: 16 lines";
    // The closing line of each element lies under the next element's first
    // line, so a module is 15 twips and the first digit starts 4 modules in.
    EXPECT_EQ(e[4].x, 310);
    EXPECT_FALSE(e[4].bar) << "digit 0 starts with a space";
    EXPECT_EQ(e[4].lines, 31) << "S2: 15 x 2 + 1 lines";
    EXPECT_FALSE(e.back().bar);
    EXPECT_EQ(e.back().x + e.back().lines - 1, 250 + 15 * 96) << "95 modules and a trailing light one end at 1690";
}

TEST(UpcA, Pixels_EveryModuleIsOnePixel_AndMatchesAnIndependentWriter)
{
    const char* codes[] = {"03600029145", "12345678901", "98765432109", "55555555555", "00000000000", "74185296307"};
    for (const char* code : codes) {
        PictureBox box = MakeBox();
        const int check = DrawUpcA(box, QString::fromLatin1(code), false);
        const std::string full = std::string(code) + char('0' + check);
        const std::string expected = testsupport::ReferenceModules(ZXing::BarcodeFormat::UPCA, full);
        ASSERT_EQ(expected.size(), 95u);
        const QImage img = box.Image();
        EXPECT_EQ(Row(img, kBarRow, kFirstPixel, 95), expected) << code;
        EXPECT_FALSE(Dark(img, kFirstPixel - 1, kBarRow)) << code << ": guard starts at 250 twips, pixel 16";
        EXPECT_FALSE(Dark(img, kFirstPixel + 95, kBarRow)) << code;
        EXPECT_FALSE(Dark(img, kFirstPixel, 12)) << "bars start at 200 twips";
        EXPECT_TRUE(Dark(img, kFirstPixel, 13));
        EXPECT_TRUE(Dark(img, kFirstPixel, 39));
        EXPECT_FALSE(Dark(img, kFirstPixel, 40)) << "bars end at 600 twips";
    }
}

TEST(UpcA, RoundTrip_DecodesTheCodeAndItsCheckDigit)
{
    for (bool withText : {false, true}) {
        PictureBox box = MakeBox();
        const int check = DrawUpcA(box, QStringLiteral(" 03600029145 "), withText);
        EXPECT_EQ(check, 2);
        const auto d = testsupport::DecodeOne(box.Image(), ZXing::BarcodeFormat::UPCA);
        EXPECT_EQ(d.text, "036000291452") << "text " << withText;
        EXPECT_EQ(*box.Picture(), box.Image()) << "the drawing becomes the box's picture";
    }
}

TEST(UpcA, OnlyElevenDigitsGetBars_OtherTextsOnlyTheMessage)
{
    struct Case { const char* text; int check; const char* why; };
    const Case cases[] = {
        {"0360002914", 7, "10 digits would scan as 03600029140"},
        {"036000291452", 2, "12 digits: the typed 12th is no part of the code"},
        {"036A0029145", 2, "a letter would scan as 0"},
        {"", 0, "empty would scan as twelve zeros"},
        {"0360 0029145", 7, "an inner blank makes 12 characters; it counts as 0"},
    };
    for (const auto& c : cases) {
        PictureBox box = MakeBox();
        EXPECT_EQ(DrawUpcA(box, QString::fromLatin1(c.text), true), c.check) << c.why;
        const QImage img = box.Image();
        EXPECT_FALSE(AnyDarkInRows(img, 0, 40)) << c.why << ": no bars";
        EXPECT_TRUE(AnyDarkInRows(img, 43, img.height())) << c.why << ": the message is printed at 650 twips";
        EXPECT_TRUE(testsupport::DecodeAll(img).empty()) << c.why;
    }
}

TEST(UpcA, TextUnderTheBars_OnlyWhenAsked)
{
    PictureBox without = MakeBox(), with = MakeBox();
    DrawUpcA(without, QStringLiteral("03600029145"), false);
    DrawUpcA(with, QStringLiteral("03600029145"), true);
    EXPECT_FALSE(AnyDarkInRows(without.Image(), 43, without.Image().height()));
    EXPECT_TRUE(AnyDarkInRows(with.Image(), 43, with.Image().height()));
    EXPECT_EQ(Row(with.Image(), kBarRow, 0, 337), Row(without.Image(), kBarRow, 0, 337)) << "the text leaves the bars alone";
}
