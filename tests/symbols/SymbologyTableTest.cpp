// Looking rows up in the symbology table, and what a row alone decides.
#include "symbols/LibraryGenerate.h"
#include "symbols/SymbologyTable.h"

#include <gtest/gtest.h>
#include <zint.h>

namespace {

symbols::ScanExpectation ReadCode93(const symbols::SymbologyRow&, const QString& text) { return {QStringLiteral("Code93"), text}; }

} // namespace

// A symbology the table has no row for is a fault of the program: it
// stops, naming the symbology, instead of drawing another one.
TEST(SymbologyTableDeathTest, RowOfASymbologyWithoutARow_StopsNamingIt)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(symbols::RowOf(static_cast<symbols::Symbology>(100)), "symbology 100 has no row");
    const symbols::SymbologyRow onlyQr[] = {symbols::RowOf(symbols::Symbology::Qr)};
    EXPECT_DEATH(symbols::RowOf(symbols::Symbology::Code39, onlyQr), "symbology 1 has no row");
}

// A symbology libzint encodes is one row: which libzint symbology, its
// layout and quiet zone, and how it reads back; the adapter has no list of
// its own.
TEST(SymbologyTable, ALibraryRowAlone_DrawsASymbolThatScans)
{
    constexpr auto kCode93 = static_cast<symbols::Symbology>(101);
    const symbols::SymbologyRow rows[] = {{.symbology = kCode93, .name = "code93", .caption = "Code 93",
                                           .surface = symbols::SurfaceId::Library, .draw = symbols::GenerateLibraryCode,
                                           .expectedScan = ReadCode93,
                                           .library = {.zint = BARCODE_CODE93, .quietModules = 10}}};
    symbols::SymbolRequest request;
    request.symbology = kCode93;
    request.text = QStringLiteral("QV-93");
    request.table = rows;
    const symbols::Symbol symbol = symbols::GenerateSymbol(request);
    ASSERT_TRUE(symbol.status.ok()) << symbol.status.failure().text.toStdString();
    EXPECT_TRUE(symbols::ScanCheck(symbol.drawing.Cropped(), symbols::ExpectedScan(kCode93, request.text, rows)).Scans());
}
