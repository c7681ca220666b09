// The scan check on any image: raw pixels of any size, and pictures made
// of several symbols side by side and one above the other (what makes the
// packaged reader assert when it is asked for more than one symbol), with
// pixels flipped. No input may take the program down, and a verdict of
// "scans" always means the text read is the one expected.
#include "graphics/Surface.h"
#include "symbols/Code39.h"
#include "symbols/PatternGenerate.h"
#include "symbols/ScanCheck.h"
#include "symbols/SymbologyTable.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QPainter>
#include <cstring>

namespace {

using ScanSymbology = symbols::Symbology;

constexpr ScanSymbology kSymbologies[] = {ScanSymbology::Code128_1, ScanSymbology::Code25, ScanSymbology::Codabar,
                                          ScanSymbology::Code39,    ScanSymbology::Code128B, ScanSymbology::UpcA,
                                          ScanSymbology::Ean};

// A symbol of the text: Code 39 or one of the pattern symbols.
graphics::Drawing Draw(ScanSymbology s, const QString& text)
{
    graphics::Surface box(240, 120, 6615, 1095);
    QString t = text;
    if (s == ScanSymbology::Code39) {
        symbols::DrawCode39(symbols::EncodeCode39(t), box, true);
    } else {
        // The others are drawn as Code 128 bars: a symbol read against another format's expectation.
        const symbols::PatternEncoder encode = symbols::RowOf(s).pattern;
        static_cast<void>(symbols::DrawPatternSymbol(encode ? encode : symbols::Code128BPatternOf, t, {1.4, std::nullopt, true}, box));
    }
    return box.CurrentDrawing();
}

void Check(const symbols::ScanResult& r)
{
    if (r.Scans() && r.read != r.expected)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Reader in(data, size);
    const std::uint8_t mode = in.Byte();
    const ScanSymbology symbology = kSymbologies[in.Byte() % std::size(kSymbologies)];
    const QString text = in.Text(24);
    const symbols::ScanExpectation expected = symbols::ExpectedScan(symbology, text);

    if (mode & 1) {
        // Raw grey pixels, up to 1024 wide.
        const int low = in.Byte(), high = in.Byte() & 3;
        const int width = 1 + (low | high << 8);
        const QByteArray pixels = in.RestBytes();
        const int height = static_cast<int>(std::min<qsizetype>(pixels.size() / width, 2048));
        if (height == 0)
            return 0;
        QImage image(width, height, QImage::Format_Grayscale8);
        for (int y = 0; y < height; ++y)
            std::memcpy(image.scanLine(y), pixels.constData() + qsizetype(y) * width, static_cast<size_t>(width));
        Check(symbols::ScanImage(image, expected));
        return 0;
    }

    // The symbol of the text, read alone, then copied into a grid of up to
    // four by four with some pixels flipped.
    const graphics::Drawing drawing = Draw(symbology, text);
    Check(symbols::ScanCheck(drawing, symbols::ExpectedScan(symbology, text)));
    const QImage one = graphics::WithQuietZones(drawing.ToImage(), graphics::QuietZonePixels(drawing));
    const int across = 1 + in.Byte() % 4, down = 1 + in.Byte() % 4;
    QImage grid(one.width() * across, one.height() * down, QImage::Format_Grayscale8);
    grid.fill(Qt::white);
    QPainter p(&grid);
    for (int y = 0; y < down; ++y)
        for (int x = 0; x < across; ++x)
            p.drawImage(x * one.width(), y * one.height(), one);
    p.end();
    const QByteArray flips = in.RestBytes();
    for (qsizetype i = 0; i + 3 < flips.size(); i += 4) {
        const int x = (std::uint8_t(flips[i]) | std::uint8_t(flips[i + 1]) << 8) % grid.width();
        const int y = (std::uint8_t(flips[i + 2]) | std::uint8_t(flips[i + 3]) << 8) % grid.height();
        uchar& px = grid.scanLine(y)[x];
        px = static_cast<uchar>(255 - px);
    }
    Check(symbols::ScanImage(grid, expected));
    return 0;
}
