// Generate without a window, as the exports and the command line run it:
// a value in, a drawing out, for every symbology. 20 characters of text
// (12 digits for EAN-13, 11 for UPC-A), with the text under the bars.
#include "symbols/SymbologyTable.h"

#include <benchmark/benchmark.h>

namespace {

void BM_GenerateSymbol(benchmark::State& state)
{
    const symbols::SymbologyRow& row = symbols::Symbologies()[static_cast<std::size_t>(state.range(0))];
    symbols::SymbolRequest request;
    request.symbology = row.symbology;
    request.withText = true;
    switch (row.symbology) {
    case symbols::Symbology::UpcA: request.text = QStringLiteral("03600029145"); break;
    case symbols::Symbology::Ean: request.text = QStringLiteral("400638133393"), request.barLength = 40, request.fontSize = 1.4; break;
    case symbols::Symbology::Code25: request.text = QStringLiteral("31415926535897932384"); break;
    case symbols::Symbology::Codabar: request.text = QStringLiteral("31415926-$:/.+314159"); break;
    default: request.text = QStringLiteral("QUORVANE-2026-ABC123"); break;
    }
    state.SetLabel(row.caption);
    for (auto _ : state)
        benchmark::DoNotOptimize(symbols::GenerateSymbol(request));
}
BENCHMARK(BM_GenerateSymbol)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

// A QR Code of 100 characters (a URL with a query), encoded by libzint and
// laid out on the dot grid: the target is under 150 µs.
void BM_GenerateSymbol_Qr100(benchmark::State& state)
{
    symbols::SymbolRequest request;
    request.symbology = symbols::Symbology::Qr;
    request.text = QStringLiteral("https://qv.example/label?item=QV-000001&lot=AB-123&expiry=2027-01-01&site=north-dock-9&copy=000001");
    request.text = request.text.left(100);
    for (auto _ : state)
        benchmark::DoNotOptimize(symbols::GenerateSymbol(request));
}
BENCHMARK(BM_GenerateSymbol_Qr100)->Unit(benchmark::kMicrosecond);

// The same QR Code encoded by libzint alone: what the layout adds is the
// difference.
void BM_EncodeOnly_Qr100(benchmark::State& state)
{
    const QString text =
        QStringLiteral("https://qv.example/label?item=QV-000001&lot=AB-123&expiry=2027-01-01&site=north-dock-9&copy=000001").left(100);
    for (auto _ : state)
        benchmark::DoNotOptimize(symbols::EncodeLibraryCode(symbols::RowOf(symbols::Symbology::Qr), text));
}
BENCHMARK(BM_EncodeOnly_Qr100)->Unit(benchmark::kMicrosecond);

} // namespace
