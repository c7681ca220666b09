#include "symbols/Code128Encoding.h"
#include "symbols/Code128Engine.h"
#include "tests/symbols/Code128Fixture.h"
#include "tests/symbols/ReferenceModules.h"

#include <gtest/gtest.h>

using namespace symbols;

TEST(Code128Encoding, WorkedExamples)
{
    struct Case {
        const char* reason;
        QString text;
        int addCheck;
        Code128Symbol expected;
    };
    const Case cases[] = {
        {"AB: sum 205, check 102", QStringLiteral("AB"), 1, {104, 33, 34, 102, 106}},
        {"12345: sum 399, check 90, digit by digit", QStringLiteral("12345"), 1, {104, 17, 18, 19, 20, 21, 90, 106}},
        {"FNC1 then 12: sum 294, check 88", QString(QChar(185)) + QStringLiteral("12"), 1, {104, 102, 17, 18, 88, 106}},
        {"A: check 34", QStringLiteral("A"), 1, {104, 33, 34, 106}},
        {"A without check (0)", QStringLiteral("A"), 0, {104, 33, 106}},
        {"A without check (2 is not 1)", QStringLiteral("A"), 2, {104, 33, 106}},
        {"lower case differs from upper", QStringLiteral("a"), 0, {104, 65, 106}},
        {"tilde 94, DEL 95", QStringLiteral("~") + QChar(127), 0, {104, 94, 95, 106}},
        {"FNC3, FNC2, FNC4", QString(QChar(179)) + QChar(178) + QChar(188), 0, {104, 96, 97, 100, 106}},
        {"FNC1 alone: check 0", QString(QChar(185)), 1, {104, 102, 0, 106}},
        // DLE takes SHIFT plus its code-set-A value; both count as positions.
        {"character 16 as SHIFT + 80", QStringLiteral("A") + QChar(16), 1,
         {104, 33, 98, 80, (104 + 33 + 2 * 98 + 3 * 80) % 103, 106}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeCode128(c.text, c.addCheck), c.expected) << c.reason;
}

TEST(Code128Encoding, LongTextsBeyondSixteenBitProducts_KeepTheTrueCheck)
{
    // 400 tildes: products reach 400 * 94, past the 16-bit range.
    const QString text(400, QLatin1Char('~'));
    std::int64_t sum = 104;
    for (std::int64_t p = 1; p <= 400; ++p)
        sum += p * 94;
    const auto symbol = EncodeCode128(text, 1);
    ASSERT_EQ(symbol.size(), 403u);
    EXPECT_EQ(symbol[401], sum % 103);
    EXPECT_EQ(Code128Modules(symbol), 11 * 402 + 13);
}

TEST(Code128Encoding, PatternTableRows)
{
    const std::pair<int, const char*> rows[] = {
        {0, "212222"}, {7, "122312"}, {25, "321122"}, {77, "413111"}, {94, "131141"}, {96, "114311"},
        {97, "411113"}, {100, "114131"}, {102, "411131"}, {104, "211214"}, {106, "2331112"},
    };
    for (const auto& [value, pattern] : rows)
        EXPECT_EQ(Code128Pattern(value), pattern) << value;
    EXPECT_TRUE(Code128Pattern(107).empty());
}

TEST(Code128Encoding, RecordOfGenerate_ModulesMatchAnIndependentWriter)
{
    // Texts zxing-cpp also writes in code set B alone (no run of digits to
    // switch to code set C for), with the check character.
    for (const char* text : {"AB", "Hello, World!", "a1b2~"}) {
        const core::Result<Elements> encoded = EncodeCode128Record(testsupport::GenerateRecord(QString::fromLatin1(text)));
        ASSERT_TRUE(encoded.ok()) << text;
        EXPECT_EQ(testsupport::ModuleRow(*encoded),
                  testsupport::ReferenceModules(ZXing::BarcodeFormat::Code128, text)) << text;
    }
}
