// Numbers shown under spreadsheet number formats, as the spreadsheet
// programs show them (the expected texts are what an English-language
// program shows for the code), with dates and times as ISO.
#include "files/NumberFormat.h"

#include <gtest/gtest.h>

using files::DateSystem;

TEST(SheetNumberFormat, NumbersShowAsTheSheetShowsThem)
{
    struct Row { const char* code; double value; const char* shows; const char* why; };
    const Row rows[] = {
        {"00000", 42, "00042", "zeros lead up to five digits"},
        {"00000", 1234567, "1234567", "more digits than places: all of them"},
        {"0.00", 3.14159, "3.14", "rounded to two places"},
        {"0.00", 2.675, "2.68", "half away from zero on the decimal digits, not the binary value"},
        {"0.00", -0.5, "-0.50", "one section: a minus of its own"},
        {"0.00", 9.995, "10.00", "rounding carries into a new digit"},
        {"0.00E+00", 9.999, "1.00E+01", "rounding carries into the exponent"},
        {"#,##0", 0, "0", "zero still shows its one 0"},
        {"?0.0?", 5.5, " 5.5 ", "? holds a digit's place with a space"},
        {"#,##0", 1234567, "1,234,567", "grouped in thousands"},
        {"#,##0.00", 1234.5, "1,234.50", "grouped, with decimals"},
        {"0,000", 5, "0,005", "zeros that lead are grouped too"},
        {"#.##", 0.5, ".5", "# shows no zero before the point"},
        {"0.0#", 1.5, "1.5", "# drops a trailing zero"},
        {"0.0#", 1.25, "1.25", "# shows a digit that is there"},
        {"0%", 0.256, "26%", "per cent multiplies by 100"},
        {"0.00%", 0.5, "50.00%", "per cent with places"},
        {"000-000", 123456, "123-456", "a literal between digit places"},
        {"\"SKU-\"0000", 7, "SKU-0007", "quoted text before the digits"},
        {"\\#0", 5, "#5", "an escaped character"},
        {"0_);(0)", 5, "5 ", "_ leaves a space as wide as the next character"},
        {"#,##0.00;(#,##0.00)", -1234.5, "(1,234.50)", "a second section for negatives writes its own sign"},
        {"0;-0;\"zero\"", 0, "zero", "a third section for zero"},
        {"[Red]0.0", 2, "2.0", "a colour changes nothing on a label"},
        {"[$\u20ac-407] #,##0.00", 9.5, "\u20ac 9.50", "a currency's symbol"},
        {"0.0,,", 1234567, "1.2", "commas after the digits divide by thousands"},
        {"0.00E+00", 12345, "1.23E+04", "scientific"},
        {"0.00E+00", 0.00012, "1.20E-04", "scientific, small"},
        {"##0.0E+0", 12345, "12.3E+3", "engineering: exponents in steps of three"},
        {"\"Lot \"General", 17, "Lot 17", "General inside a code"},
        {"General", 0.1 + 0.2, "0.3", "15 significant digits, as the sheet shows"},
        {"General", 4006381333931, "4006381333931", "a barcode's digits, not 4.00638E+12"},
        {"General", 1e20, "1E+20", "very large: scientific"},
        {"@", 12, "12", "a text format shows a number as General"},
        {"yyyy-mm-dd", 45356, "2024-03-05", "a serial day number"},
        {"d-mmm-yy", 45356, "2024-03-05", "any date format shows as an ISO date"},
        {"mm/dd/yyyy hh:mm", 45356.6041666667, "2024-03-05 14:30", "a date with a time"},
        {"h:mm:ss AM/PM", 0.75, "18:00:00", "a time, on the 24-hour clock"},
        {"[h]:mm", 1.5, "36:00", "elapsed hours go past 24"},
        {"m/d/yy", 60, "1900-02-29", "the 1900 leap day the first spreadsheets counted"},
        {"m/d/yy", 59, "1900-02-28", "the day before it"},
        {"m/d/yy", 61, "1900-03-01", "the day after it"},
        {"yyyy-mm-dd", 0.9999999, "1900-01-01", "a time a hair before midnight is the next day"},
    };
    for (const Row& row : rows) {
        const auto shown = files::FormatNumber(row.value, QString::fromUtf8(row.code));
        ASSERT_TRUE(shown.ok()) << row.why << ": " << shown.failure().text.toStdString();
        EXPECT_EQ(*shown, QString::fromUtf8(row.shows)) << row.code << ": " << row.why;
    }
}

TEST(SheetNumberFormat, DatesFrom1904)
{
    const auto shown = files::FormatNumber(43894, QStringLiteral("d/m/yyyy"), DateSystem::From1904);
    ASSERT_TRUE(shown.ok());
    EXPECT_EQ(*shown, QStringLiteral("2024-03-05")); // 1462 days less than from 1900
}

TEST(SheetNumberFormat, PartsALabelCantShow_AreRefused)
{
    struct Row { const char* code; double value; const char* says; };
    const Row rows[] = {
        {"# ?/?", 0.5, "it writes fractions"},
        {"[>100]0;0.00", 5, "it chooses by a condition ([>100])"},
        {"[DBNum1]0", 5, "of its part [DBNum1]"},
        {"yyyy-mm-dd", -1, "is no date"},
    };
    for (const Row& row : rows) {
        const auto shown = files::FormatNumber(row.value, QString::fromUtf8(row.code));
        ASSERT_TRUE(shown.failed()) << row.code;
        EXPECT_TRUE(shown.failure().text.contains(QString::fromUtf8(row.says))) << shown.failure().text.toStdString();
    }
}

TEST(SheetNumberFormat, TextUnderATextSection)
{
    EXPECT_EQ(files::FormatText(QStringLiteral("A-1"), u"\"Item \"@"), QStringLiteral("Item A-1"));
    EXPECT_EQ(files::FormatText(QStringLiteral("A-1"), u"0;-0;0;\"<\"@\">\""), QStringLiteral("<A-1>"));
    EXPECT_EQ(files::FormatText(QStringLiteral("A-1"), u"00000"), QStringLiteral("A-1")); // no text section
}
