#include "symbols/Ean.h"
#include "symbols/UpcA.h"

#include <gtest/gtest.h>
#include <random>

using symbols::EanCheckDigit;
using symbols::EanWithCheckDigit;
using symbols::UpcACheckDigit;

namespace {

// The UPC-A rule as the drawer documents it, computed separately: odd
// positions weigh 3, check = (s div 10) * 10 + 10 - s, and 10 becomes 0.
int UpcReference(const std::string& d)
{
    int s = 0;
    for (std::size_t k = 0; k < 11; ++k)
        s += (k % 2 == 0 ? 3 : 1) * (d[k] - '0');
    const int check = s / 10 * 10 + 10 - s;
    return check == 10 ? 0 : check;
}

// The EAN rule: zeros in front up to 17 digits, weights 3, 1, 3, ... from
// the first of the 17.
int EanReference(const std::string& d)
{
    const std::string padded = std::string(17 - d.size(), '0') + d;
    int s = 0;
    for (std::size_t k = 0; k < 17; ++k)
        s += (k % 2 == 0 ? 3 : 1) * (padded[k] - '0');
    return s % 10 == 0 ? 0 : 10 - s % 10;
}

std::string RandomDigits(std::mt19937& rng, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>('0' + rng() % 10);
    return s;
}

} // namespace

TEST(Gs1CheckDigit, UpcA_WorkedExampleAndTextRules)
{
    struct Case { const char* text; int check; const char* why; };
    const Case cases[] = {
        {"03600029145", 2, "worked example: s = 58"},
        {" 03600029145 ", 2, "blanks around are trimmed"},
        {"036000291452", 2, "a twelfth character is not used"},
        {"036A0029145", 2, "a non-digit counts as 0 (A stands where the 0 was)"},
        {"0360002914", 7, "a missing eleventh digit counts as 0: s = 43"},
        {"00000000000", 0, "sum 0"},
        {"30000000007", 0, "sum 9 + 21 = 30, a multiple of ten"},
        {"", 0, "empty: every digit 0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UpcACheckDigit(QString::fromLatin1(c.text)), c.check) << c.why;
}

TEST(Gs1CheckDigit, Ean_WorkedExamplesAndLengths)
{
    struct Case { const char* text; int check; const char* why; };
    const Case cases[] = {
        {"400638133393", 1, "EAN-13 worked example 4006381333931"},
        {"1234567", 0, "EAN-8 worked example 12345670: sum 60, a multiple of ten"},
        {"000000000055", 0, "sum 5 + 15 = 20"},
        {"40063813339A", 0, "a non-digit counts as 0: as 400638133390"},
        {"4006381333931", 0, "13 characters: not an EAN data length"},
        {"123456", 0, "6 characters: not an EAN data length"},
        {"", 0, "empty"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EanCheckDigit(QString::fromLatin1(c.text)), c.check) << c.why;
    EXPECT_EQ(EanCheckDigit(QStringLiteral("400638133390")), EanReference("400638133390"));
    EXPECT_EQ(EanWithCheckDigit(QStringLiteral("400638133393")), QStringLiteral("4006381333931"));
    EXPECT_EQ(EanWithCheckDigit(QStringLiteral("1234567")), QStringLiteral("12345670"));
}

TEST(Gs1CheckDigit, RandomCodes_MatchAnIndependentComputation)
{
    std::mt19937 rng(20240611);
    for (int n = 0; n < 1000; ++n) {
        const std::string upc = RandomDigits(rng, 11), ean13 = RandomDigits(rng, 12), ean8 = RandomDigits(rng, 7);
        EXPECT_EQ(UpcACheckDigit(QString::fromStdString(upc)), UpcReference(upc)) << upc;
        EXPECT_EQ(EanCheckDigit(QString::fromStdString(ean13)), EanReference(ean13)) << ean13;
        EXPECT_EQ(EanCheckDigit(QString::fromStdString(ean8)), EanReference(ean8)) << ean8;
    }
}
