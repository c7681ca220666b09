// Golden patterns of the three bar-pattern encoders, from the worked
// examples and edge cases of their documentation.
#include "services/Messages.h"
#include "symbols/BarPattern.h"
#include "symbols/Codabar.h"
#include "symbols/Code128B.h"
#include "symbols/Interleaved25.h"

#include <gtest/gtest.h>

using namespace symbols;

namespace {

struct PatternCase {
    const char* reason;
    QString text;
    QString pattern;
};

} // namespace

TEST(Code128B, Code128BPattern_GivesTheGoldenPatterns)
{
    const PatternCase cases[] = {
        {"worked example: sum 205, check 102", QStringLiteral("AB"),
         QStringLiteral("211214" "111323" "131123" "411131" "2331112")},
        {"empty text: start, check 1, stop", QString(), QStringLiteral("211214" "222122" "2331112")},
        {"lower-case l is value 76", QStringLiteral("l"), QStringLiteral("211214" "221114" "413111" "2331112")},
        {"capital I is value 41", QStringLiteral("I"), QStringLiteral("211214" "231311" "112133" "2331112")},
        {"lower-case a is value 65, not 33", QStringLiteral("a"), QStringLiteral("211214" "121124" "121421" "2331112")},
        {"a control character is left out and takes no position", QStringLiteral("A\x01" "B"),
         QStringLiteral("211214" "111323" "131123" "411131" "2331112")},
        {"characters above ~ are left out", QStringLiteral("A\u00e9B\u20ac"),
         QStringLiteral("211214" "111323" "131123" "411131" "2331112")},
        {"blank, tilde and digits in one text", QStringLiteral("Quorvane~ 12"),
         QStringLiteral("2112142113311242111341111212414112121211242411121122141311412122221232212232111323112331112")},
    };
    for (const auto& c : cases) {
        const QString pattern = Code128BPattern(c.text);
        EXPECT_EQ(pattern, c.pattern) << c.reason;
        EXPECT_EQ(pattern.size() % 2, 1) << c.reason << ": a pattern ends with a bar";
    }
}

TEST(Code128B, LongText_CheckCharacterStaysModulo103)
{
    // 5000 tildes: sum = 104 + 94 * (1 + ... + 5000) = 1175235104, check 1175235104 mod 103 = 57.
    const QString text(5000, QLatin1Char('~'));
    const QString pattern = Code128BPattern(text);
    EXPECT_EQ(pattern.size(), 6 + 5000 * 6 + 6 + 7);
    EXPECT_EQ(pattern.mid(6 + 5000 * 6, 6), QStringLiteral("312113")); // value 57
}

TEST(Interleaved25, Interleaved25Pattern_GivesTheGoldenPatternsAndReportsFailures)
{
    struct Case {
        const char* reason;
        QString text;
        QString pattern;
        bool fails;
    };
    const QString pair12 = QStringLiteral("3113111133");
    const QString pairs1To0 = pair12 + QStringLiteral("3131131113" "3113331111" "1311113331" "1131133311");
    const QString pair00 = QStringLiteral("1111333311");
    const Case cases[] = {
        {"worked example 12: 17 elements", QStringLiteral("12"), QStringLiteral("11113113111133311"), false},
        {"empty text: start and stop only", QString(), QStringLiteral("1111311"), false},
        {"1234: 27 elements", QStringLiteral("1234"), QStringLiteral("111131131111333131131113311"), false},
        {"twenty digits is the longest that encodes", QStringLiteral("12345678901234567890"),
         QStringLiteral("1111") + pairs1To0 + pairs1To0 + QStringLiteral("311"), false},
        {"12A4 fails at the second pair, the first pair stays", QStringLiteral("12A4"), QStringLiteral("1111") + pair12, true},
        {"22 digits fail while the table fills", QString(22, QLatin1Char('1')), QStringLiteral("1111"), true},
        {"an odd length runs past the text into an empty slot", QStringLiteral("123"), QStringLiteral("1111") + pair12, true},
        {"a non-digit at position 22 passes the filling, the pair 21/22 fails",
         QString(21, QLatin1Char('0')) + QLatin1Char('A'), QStringLiteral("1111") + pair00.repeated(10), true},
        {"a non-digit first leaves only the start", QStringLiteral("X2"), QStringLiteral("1111"), true},
    };
    for (const auto& c : cases) {
        const Interleaved25Result r = Interleaved25Pattern(c.text);
        if (c.fails) {
            ASSERT_TRUE(r.status.failed()) << c.reason;
            EXPECT_EQ(r.status.failure().code, static_cast<int>(core::RunTimeError::SubscriptOutOfRange)) << c.reason;
        } else {
            EXPECT_TRUE(r.status.ok()) << c.reason;
            EXPECT_TRUE(r.pattern.endsWith(QStringLiteral("311"))) << c.reason;
        }
        EXPECT_EQ(r.pattern, c.pattern) << c.reason;
    }
}

TEST(Codabar, CodabarPattern_GivesTheGoldenPatterns)
{
    const PatternCase cases[] = {
        {"empty text: start, gap, stop, 15 elements", QString(), QStringLiteral("1122121" "1" "1122121")},
        {"12: 31 elements", QStringLiteral("12"), QStringLiteral("1122121" "1" "1111221" "1" "1112112" "1" "1122121")},
        {"X is not in the set and is left out", QStringLiteral("1X2"),
         QStringLiteral("1122121" "1" "1111221" "1" "1112112" "1" "1122121")},
        {"punctuation of the set", QStringLiteral("-$:/.+"),
         QStringLiteral("1122121" "1" "1112211" "1" "1122111" "1" "2111212" "1" "2121112" "1" "2121211" "1"
                        "1121212" "1" "1122121")},
        {"letters A-D inside the text encode like any other", QStringLiteral("D"),
         QStringLiteral("1122121" "1" "1112221" "1" "1122121")},
        {"the encoder compares exactly: lower case is left out", QStringLiteral("a"),
         QStringLiteral("1122121" "1" "1122121")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodabarPattern(c.text), c.pattern) << c.reason;
    }
}
