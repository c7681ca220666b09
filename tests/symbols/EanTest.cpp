#include "core/Numeric.h"
#include "graphics/PictureBox.h"
#include "services/Messages.h"
#include "symbols/Ean.h"
#include "tests/support/Decode.h"
#include "tests/symbols/ReferenceModules.h"

#include <gtest/gtest.h>
#include <cmath>

using graphics::PictureBox;

namespace {

struct Drawn {
    QImage image;
    QString tag;
    QStringList messages;
    double barRowPx = 0;   // a pixel row through the data bars
    double guardRowPx = 0; // a pixel row below the data bars, through the guards
    double textTopPx = 0;  // where the digit line starts
};

// Draws as Generate does on a box like the main window's Picture10.
Drawn Draw(const QString& tag, const QString& barLength = QStringLiteral("8"),
           const QString& fontSize = QStringLiteral("1.4"))
{
    PictureBox box(720, 840, 3600, 1095);
    symbols::FitEanScale(box, core::ParseNumber(barLength), core::ParseNumber(fontSize));
    QStringList reported; // what the drawer says went wrong
    const symbols::EanDrawn drawn =
        symbols::DrawEan(box, tag, core::ParseNumber(barLength), core::ParseNumber(fontSize));
    if (drawn.status.failed())
        reported << drawn.status.failure().text;
    const double bar = core::NumberOr(barLength, 8);
    return {box.Image(), drawn.code, reported, box.ToPixelY((5 + bar) / 2), box.ToPixelY(bar + 3), box.ToPixelY(bar)};
}

bool Dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

// Module x of the drawing is pixel columns 2x and 2x + 1.
std::string Modules(const QImage& img, double rowPx, int from, int count)
{
    std::string s;
    const int y = static_cast<int>(rowPx);
    for (int x = from; x < from + count; ++x) {
        const bool a = Dark(img, 2 * x, y), b = Dark(img, 2 * x + 1, y);
        s += a && b ? '1' : !a && !b ? '0' : '?';
    }
    return s;
}

std::vector<int> DarkModules(const QImage& img, double rowPx)
{
    std::vector<int> out;
    const std::string row = Modules(img, rowPx, 0, img.width() / 2);
    for (std::size_t x = 0; x < row.size(); ++x)
        if (row[x] != '0')
            out.push_back(static_cast<int>(x));
    return out;
}

bool Blank(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Dark(img, x, y))
                return false;
    return true;
}

// Leftmost dark pixel column in [from, to) below the text line's top.
int FirstDarkColumn(const Drawn& d, int from, int to)
{
    for (int x = from; x < to; ++x)
        for (int y = static_cast<int>(std::ceil(d.textTopPx)); y < d.image.height(); ++y)
            if (Dark(d.image, x, y))
                return x;
    return -1;
}

} // namespace

TEST(Ean, Ean13_ModulesAndGuardsWhereTheLayoutPutsThem)
{
    const Drawn d = Draw(QStringLiteral("400638133393"));
    EXPECT_EQ(d.tag, QStringLiteral("4006381333931"));
    EXPECT_TRUE(d.messages.isEmpty());
    const std::string expected = testsupport::ReferenceModules(ZXing::BarcodeFormat::EAN13, "4006381333931");
    ASSERT_EQ(expected.size(), 95u);
    EXPECT_EQ(Modules(d.image, d.barRowPx, 11, 95), expected) << "start guard at 11, end guard at 103 to 105";
    EXPECT_EQ(Modules(d.image, d.barRowPx, 0, 11), std::string(11, '0')) << "left quiet zone";
    EXPECT_EQ(Modules(d.image, d.barRowPx, 106, 14), std::string(14, '0')) << "right quiet zone";
    EXPECT_EQ(DarkModules(d.image, d.guardRowPx), (std::vector<int>{11, 13, 57, 59, 103, 105}))
        << "only the guards reach below the data bars";
}

TEST(Ean, Ean8_ModulesGuardsAndMarks)
{
    const Drawn d = Draw(QStringLiteral("1234567"), QStringLiteral("8"), QStringLiteral("10"));
    EXPECT_EQ(d.tag, QStringLiteral("12345670"));
    const std::string expected = testsupport::ReferenceModules(ZXing::BarcodeFormat::EAN8, "12345670");
    ASSERT_EQ(expected.size(), 67u);
    EXPECT_EQ(Modules(d.image, d.barRowPx, 11, 67), expected) << "start guard at 11, end guard at 75 to 77";
    EXPECT_EQ(DarkModules(d.image, d.guardRowPx), (std::vector<int>{11, 13, 43, 45, 75, 77}));
    // "<" is printed at 2, ">" at 83: nothing dark between the end guard and it.
    const int lt = FirstDarkColumn(d, 0, 22);
    EXPECT_GE(lt, 2 * 2);
    EXPECT_LT(lt, 2 * 2 + 8);
    const int gt = FirstDarkColumn(d, 2 * 78, 240);
    EXPECT_GE(gt, 2 * 83);
    EXPECT_LT(gt, 2 * 83 + 8);
}

TEST(Ean, Ean13_EveryFirstDigitSetsTheParityOfTheLeftHalf)
{
    const char* rest = "20318479560"; // 11 more digits
    for (char first = '0'; first <= '9'; ++first) {
        const std::string data = std::string(1, first) + rest;
        const Drawn d = Draw(QString::fromStdString(data));
        const std::string code = d.tag.toStdString();
        ASSERT_EQ(code.size(), 13u);
        EXPECT_EQ(code.substr(0, 12), data);
        EXPECT_EQ(Modules(d.image, d.barRowPx, 11, 95), testsupport::ReferenceModules(ZXing::BarcodeFormat::EAN13, code))
            << "first digit " << first;
    }
}

TEST(Ean, TextLength_ChoosesTheKind)
{
    struct Case { const char* text; const char* tag; const char* sameAs; const char* why; };
    const Case cases[] = {
        {"12345678901", "12345670", "1234567", "11 characters: EAN-8 of the first 7"},
        {"12345678", "12345670", "1234567", "a typed EAN-8 check digit is replaced"},
        {"4006381333930", "4006381333931", "400638133393", "a wrong typed check digit is replaced"},
        {"40063813339312345678", "4006381333931", "400638133393", "20 characters: EAN-13 of the first 12"},
    };
    for (const auto& c : cases) {
        const Drawn d = Draw(QString::fromLatin1(c.text));
        EXPECT_EQ(d.tag, QString::fromLatin1(c.tag)) << c.why;
        EXPECT_EQ(d.image, Draw(QString::fromLatin1(c.sameAs)).image) << c.why;
        EXPECT_TRUE(d.messages.isEmpty()) << c.why;
    }
}

TEST(Ean, ShortText_DrawsNothingAndKeepsTheTag)
{
    for (const char* text : {"", "1", "123456"}) {
        const Drawn d = Draw(QString::fromLatin1(text));
        EXPECT_TRUE(Blank(d.image)) << text;
        EXPECT_EQ(d.tag, QString::fromLatin1(text));
        EXPECT_TRUE(d.messages.isEmpty());
    }
}

TEST(Ean, TooLongText_DrawsNothingAndSaysSo)
{
    const QString text = QStringLiteral("400638133393123456789"); // 21 characters
    const Drawn d = Draw(text);
    EXPECT_TRUE(Blank(d.image));
    EXPECT_EQ(d.tag, text);
    ASSERT_EQ(d.messages.size(), 1);
    EXPECT_EQ(d.messages[0], symbols::EanTooLongMessage());
    EXPECT_TRUE(d.messages[0].contains(QStringLiteral("20"))) << "the message names the limit";
}

TEST(Ean, RunTimeErrors_ShowNumberAndDescription_KeepWhatWasDrawn)
{
    const QString mismatch = QStringLiteral("13\nType mismatch"), overflow = QStringLiteral("6\nOverflow");
    struct Case { const char* text; const char* bar; const char* font; QString message; int lastDarkModule; const char* why; };
    const Case cases[] = {
        {"1234A67", "8", "1.4", mismatch, 41, "fails at the fifth digit: guard and four digits stay, no centre guard"},
        {"4006381A3393", "8", "1.4", mismatch, 60, "fails at the eighth digit, after the centre guard"},
        {"A234567", "8", "1.4", mismatch, -1, "fails before the first line"},
        {"1234567", "abc", "1.4", mismatch, -1, "non-numeric bar length"},
        {"1234567", "", "1.4", mismatch, -1, "empty bar length"},
        {"1234567", "8", "big", mismatch, -1, "non-numeric font size"},
        {"1234567", "1e9", "1.4", overflow, -1, "bar length beyond 16 bits"},
        {"1234567", "-40000", "1.4", overflow, -1, "negative bar length beyond 16 bits"},
        {"1234567", "8", "99999", overflow, -1, "font size beyond 16 bits"},
    };
    for (const auto& c : cases) {
        const Drawn d = Draw(QString::fromLatin1(c.text), QString::fromLatin1(c.bar), QString::fromLatin1(c.font));
        ASSERT_EQ(d.messages.size(), 1) << c.why;
        EXPECT_EQ(d.messages[0], c.message) << c.why;
        if (c.lastDarkModule < 0) {
            EXPECT_TRUE(Blank(d.image)) << c.why;
        } else {
            const auto dark = DarkModules(d.image, d.barRowPx);
            ASSERT_FALSE(dark.empty()) << c.why;
            EXPECT_EQ(dark.front(), 11) << c.why;
            EXPECT_LE(dark.back(), c.lastDarkModule) << c.why;
            EXPECT_GE(dark.back(), c.lastDarkModule - 7) << c.why;
        }
    }
}

TEST(Ean, BarLengths_FitTheBoxAndScan)
{
    for (const char* bar : {"6", "8", "20", "100", "30000"}) {
        const Drawn d = Draw(QStringLiteral("590123412345"), QString::fromLatin1(bar), QStringLiteral("8"));
        EXPECT_TRUE(d.messages.isEmpty()) << bar;
        const auto decoded = testsupport::DecodeOne(d.image, ZXing::BarcodeFormat::EAN13);
        EXPECT_EQ(decoded.text, "5901234123457") << "bar length " << bar;
        EXPECT_FALSE(Dark(d.image, 2 * 11, d.image.height() - 1)) << "guards end inside the box, bar length " << bar;
    }
}
