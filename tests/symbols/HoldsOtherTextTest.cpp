// A symbol that holds another text than was typed says so: the scan line
// under the drawing reads "scans as X (why)", and an export or a listing
// names it (with --strict it fails instead).
#include "symbols/Generate.h"
#include "symbols/ScanCheck.h"
#include "symbols/SymbologyTable.h"

#include <gtest/gtest.h>

using symbols::Symbology;

TEST(HoldsOtherText, EverySymbologySaysWhenItsSymbolHoldsAnotherText)
{
    struct Case {
        Symbology symbology;
        const char* typed;
        const char* scanLine; // the window's line under a symbol that scans
    };
    const Case cases[] = {
        {Symbology::Code25, "123", "scans as 1230 (a 0 was added: Code 2/5 needs an even number of digits)"},
        {Symbology::Code25, "123456", "scans"},
        {Symbology::Ean, "4006381333930", "scans as 4006381333931 (the check digit typed, 0, was replaced)"},
        {Symbology::Ean, "4006381333931", "scans"},
        {Symbology::Ean, "400638133393", "scans"}, // no check digit typed: it is added, nothing is replaced
        {Symbology::Ean, "12345678901", "scans as 12345670 (EAN-8 of the first 7 digits; 4 digits were not used)"},
        {Symbology::Ean, "12345678", "scans as 12345670 (the check digit typed, 8, was replaced)"},
        {Symbology::Ean, "40063813339310", "scans as 4006381333931 (EAN-13 of the first 12 digits; 2 digits were not used)"},
        {Symbology::UpcA, "03600029145", "scans"},
        {Symbology::Code128B, "QV-1", "scans"},
        {Symbology::Code39, "QV-1", "scans"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        symbols::SymbolRequest r;
        r.symbology = c.symbology;
        r.text = QString::fromLatin1(c.typed);
        r.fontSize = c.symbology == Symbology::Ean ? 1.4 : 8;
        const symbols::Symbol symbol = symbols::GenerateSymbol(r);
        const symbols::ScanResult scan = symbols::ScanCheck(symbol.drawing.Cropped(), symbols::ExpectedScan(c.symbology, r.text));
        EXPECT_EQ(scan.Text().toStdString(), c.scanLine);
        EXPECT_EQ(symbols::HoldsOtherText(c.symbology, r.text).isEmpty(), QString::fromLatin1(c.scanLine) == QLatin1String("scans"));
    }
}
