// Saving barcodes as files: 10,000 Code 128 B texts through the batch
// export, to SVG and to PNG, into a folder on disk and into one in memory
// (tmpfs), with each step alone beside it: drawing a text with the Code
// 128 engine, and making the SVG or PNG bytes of a drawing. Peak memory is
// the process's (run one benchmark per process to read it).
#include "core/Units.h"
#include "files/BatchExport.h"
#include "files/Export.h"
#include "files/MonoPng.h"
#include "graphics/Gdi.h"
#include "graphics/Surface.h"
#include "symbols/Code128Engine.h"
#include "symbols/Code128Generate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kLines = 10000;

// "Code 128 B" as Generate draws it, with the text as caption.
graphics::Drawing DrawCode128(const QString& text)
{
    symbols::SymbolRequest request;
    request.text = text;
    request.withText = true;
    const symbols::Code128Params r = symbols::Code128Record(request);
    // As wide as Generate leaves it: start, characters and check of 11
    // modules, the 13-module stop, the left offset and the background's edge.
    const int width = 2 + 11 * (static_cast<int>(text.size()) + 2) + 13 + 2;
    graphics::Surface box(240, 120, core::PixelsToTwips(width), 855);
    box.SetScaleMode(graphics::ScaleMode::Pixels);
    graphics::SurfaceDC dc(box);
    symbols::DrawCode128(r, *symbols::EncodeCode128Record(r), &dc);
    box.SetModule(r.ModuleWidth);
    return box.CurrentDrawing();
}

QString Code(int i) { return QStringLiteral("QV-%1").arg(i, 6, 10, QLatin1Char('0')); }

double PeakMegabytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

void BM_DrawCode128(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawCode128(Code(++i)));
}
BENCHMARK(BM_DrawCode128)->Unit(benchmark::kMicrosecond);

void BM_SvgBytes(benchmark::State& state)
{
    const graphics::Drawing d = DrawCode128(Code(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(files::ExportSvg(d));
}
BENCHMARK(BM_SvgBytes)->Unit(benchmark::kMicrosecond);

// The picture at 300 dpi (about 540 x 171 pixels for these texts), then its PNG bytes.
void BM_PngPicture(benchmark::State& state)
{
    const graphics::Drawing d = DrawCode128(Code(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(graphics::RasterImage(d, {}));
}
BENCHMARK(BM_PngPicture)->Unit(benchmark::kMicrosecond);

void BM_PngBytes(benchmark::State& state)
{
    const QImage picture = graphics::RasterImage(DrawCode128(Code(1)), {});
    QByteArray png;
    for (auto _ : state)
        benchmark::DoNotOptimize(png = files::MonoPng(picture, picture.dotsPerMeterX()));
    state.counters["bytes"] = png.size();
}
BENCHMARK(BM_PngBytes)->Unit(benchmark::kMicrosecond);

// Arguments: 0 SVG, 1 PNG; 0 a folder on disk (the system's temporary
// folder), 1 a folder in memory (/dev/shm).
void BM_BatchExport(benchmark::State& state)
{
    const bool png = state.range(0) == 1;
    const bool inMemory = state.range(1) == 1;
    if (inMemory && !QDir(QStringLiteral("/dev/shm")).exists()) {
        state.SkipWithError("no /dev/shm");
        return;
    }
    QTemporaryDir dir(inMemory ? QStringLiteral("/dev/shm/quorvane-bench-XXXXXX") : QDir::tempPath() + QStringLiteral("/quorvane-bench-XXXXXX"));
    const QString lines = dir.filePath(QStringLiteral("lines.txt"));
    {
        QFile f(lines);
        f.open(QIODevice::WriteOnly);
        for (int i = 1; i <= kLines; ++i)
            f.write((Code(i) + QStringLiteral("\r\n")).toLatin1());
    }
    const QString pattern = dir.filePath(png ? QStringLiteral("out/~~~~~.png") : QStringLiteral("out/~~~~~.svg"));
    const auto draw = [](const QString& line) -> core::Result<graphics::Drawing> { return DrawCode128(line); };
    for (auto _ : state) {
        state.PauseTiming();
        QDir(dir.filePath(QStringLiteral("out"))).removeRecursively();
        QDir(dir.path()).mkdir(QStringLiteral("out"));
        state.ResumeTiming();
        const files::BatchExportReport r = files::ExportBatch(lines, draw, pattern, {});
        if (r.outcome.failed() || r.written != kLines)
            state.SkipWithError("the batch failed");
    }
    state.counters["us_per_file"] = benchmark::Counter(double(kLines) * state.iterations(),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                       benchmark::Counter::OneK::kIs1000);
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_BatchExport)
    ->ArgNames({"png", "tmpfs"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
