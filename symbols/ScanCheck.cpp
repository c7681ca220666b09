#include "symbols/ScanCheck.h"

#include "core/Units.h"
#include "graphics/Raster.h"

#include <ZXing/ReadBarcode.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace symbols {
namespace {

// A reader wants a module of two pixels or more; the drawing is replayed
// at the smallest whole multiple that gives it, every edge on a pixel.
QImage Raster(const graphics::Drawing& drawing, bool& wholeModules)
{
    const double module = drawing.module > 0 ? drawing.module : 1;
    const int factor = static_cast<int>(std::max(1.0, std::ceil(2 / module)));
    QImage image = graphics::RasterImage(drawing, graphics::RasterOptions{static_cast<int>(core::kSurfaceDpi) * factor, 0});
    wholeModules = !image.isNull();
    if (image.isNull()) // wider than a picture may be at that size: as the screen shows it
        image = graphics::WithQuietZones(drawing);
    return image;
}

// Pixels beyond any label; larger images are not read (and not held twice).
constexpr qint64 kMaxPixels = qint64(1) << 26;

// --- the short forms the reader does not read ---

// The quiet zone the widths check asks for on either side, in modules:
// the files have ten.
constexpr double kQuietModules = 9.5;
// Rows of the symbol that must show the pattern: a scan line crosses more
// than one.
constexpr int kMatchingRows = 3;

// True when one row of the picture shows the pattern: as many bars and
// spaces, each as many modules wide (bars and spaces may differ in their
// module width, as the drawer makes them), with the quiet zones.
bool RowMatches(const uchar* row, int width, const QString& pattern)
{
    int first = 0;
    while (first < width && row[first] >= 128)
        ++first;
    int last = width - 1;
    while (last >= first && row[last] >= 128)
        --last;
    if (first > last)
        return false;
    std::vector<int> runs;
    runs.reserve(static_cast<size_t>(pattern.size()));
    for (int x = first; x <= last;) {
        const bool dark = row[x] < 128;
        int end = x;
        while (end <= last && (row[end] < 128) == dark)
            ++end;
        runs.push_back(end - x);
        if (runs.size() > static_cast<size_t>(pattern.size()))
            return false;
        x = end;
    }
    if (runs.size() != static_cast<size_t>(pattern.size()))
        return false;
    double units[2] = {0, 0}, modules[2] = {0, 0}; // bars, spaces
    for (size_t i = 0; i < runs.size(); ++i) {
        units[i % 2] += runs[i];
        modules[i % 2] += pattern[static_cast<qsizetype>(i)].digitValue();
    }
    const double bar = units[0] / modules[0];
    const double space = modules[1] > 0 ? units[1] / modules[1] : bar;
    if (bar < 1 || space < 1 || bar > 1.5 * space || space > 1.5 * bar)
        return false;
    for (size_t i = 0; i < runs.size(); ++i) {
        const double unit = i % 2 ? space : bar;
        const double want = pattern[static_cast<qsizetype>(i)].digitValue() * unit;
        if (std::abs(runs[i] - want) > 0.3 * unit) // a narrow element never passes for a wide one
            return false;
    }
    const double quiet = kQuietModules * std::min(bar, space);
    return first >= quiet && width - 1 - last >= quiet;
}

bool WidthsMatch(const QImage& grey, const QString& pattern)
{
    int matching = 0;
    for (int y = 0; y < grey.height(); ++y)
        if (RowMatches(grey.constScanLine(y), grey.width(), pattern) && ++matching >= kMatchingRows)
            return true;
    return false;
}

} // namespace

QString ScanResult::Text() const
{
    switch (verdict) {
    case Verdict::Scans:
        if (!note.isEmpty())
            return QStringLiteral("scans as %1 (%2)").arg(expected, note);
        return byWidths ? QStringLiteral("scans (its bar widths match; zxing-cpp does not read so short a symbol)")
                        : QStringLiteral("scans");
    case Verdict::DoesNotScan:
        break;
    case Verdict::WrongText:
        return QStringLiteral("does not scan: it reads \"%1\", not \"%2\"").arg(read, expected);
    case Verdict::NotChecked:
        return QStringLiteral("not checked: zxing-cpp does not read so short a symbol, and its bars could not be measured");
    }
    return QStringLiteral("does not scan");
}

ScanResult ScanImage(const QImage& image, const ScanExpectation& expected)
{
    ScanResult result;
    result.expected = expected.text;
    result.note = expected.note;
    const ZXing::BarcodeFormat format = ZXing::BarcodeFormatFromString(expected.format.toStdString());
    if (format == ZXing::BarcodeFormat::None || image.isNull() || qint64(image.width()) * image.height() > kMaxPixels)
        return result;
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    if (grey.isNull())
        return result;
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    hints.setTryDownscale(false);
    // One symbol: the reader never compares two of them (see the header).
    hints.setMaxNumberOfSymbols(1);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(grey.bytesPerLine()));
    const ZXing::Results found = ZXing::ReadBarcodes(view, hints);
    if (found.empty() || !found.front().isValid()) {
        // A short form the reader may not read: its widths decide.
        if (const QString& pattern = expected.widthsPattern; !pattern.isEmpty()) {
            if (WidthsMatch(grey, pattern)) {
                result.verdict = ScanResult::Verdict::Scans;
                result.byWidths = true;
                result.read = expected.text;
            }
        }
        return result;
    }
    const ZXing::Result& symbol = found.front();
    result.read = QString::fromStdString(symbol.text());
    // Without an ECI the reader guesses the character set of bytes above
    // 127 (Shift_JIS, for "ÄÖÜ"); a linear code's bytes are Latin-1 by its
    // standard, and the bytes are what the symbol holds.
    if (result.read != expected.text && !symbol.hasECI()) {
        const ZXing::ByteArray& bytes = symbol.bytes();
        const QString latin1 = QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
        if (latin1 == expected.text || ZXing::BarcodeFormats(ZXing::BarcodeFormat::LinearCodes).testFlag(symbol.format()))
            result.read = latin1;
    }
    result.verdict = result.read == expected.text ? ScanResult::Verdict::Scans : ScanResult::Verdict::WrongText;
    return result;
}

ScanResult ScanCheck(const graphics::Drawing& drawing, const ScanExpectation& expected)
{
    if (drawing.IsEmpty()) {
        ScanResult nothing;
        nothing.expected = expected.text;
        nothing.note = expected.note;
        return nothing;
    }
    bool wholeModules = false;
    const QImage image = Raster(drawing, wholeModules);
    ScanResult result = ScanImage(image, expected);
    // Widths drawn off the pixel grid can't be measured: a short form the
    // reader missed is then not checked rather than called unreadable.
    if (result.verdict == ScanResult::Verdict::DoesNotScan && !wholeModules && !expected.widthsPattern.isEmpty())
        result.verdict = ScanResult::Verdict::NotChecked;
    return result;
}

} // namespace symbols
