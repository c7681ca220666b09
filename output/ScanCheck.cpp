#include "output/ScanCheck.h"

#include "output/Export.h"
#include "platform/Units.h"
#include "symbologies/Codabar.h"
#include "symbologies/Ean.h"
#include "symbologies/Interleaved25.h"
#include "symbologies/UpcA.h"

#include <ZXing/ReadBarcode.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace output {
namespace {

using Format = ScanExpectation::Format;

// The Code 128 engine's stand-ins for the function characters, and how the
// reader reports them: FNC1 is no part of the text (first it marks a GS1
// symbol; later zxing-cpp 1.4 leaves it out where a scanner would send a
// group separator); FNC2 and FNC3 are instructions to the reader; FNC4
// adds 128 to the next character.
constexpr char16_t kFnc1 = 185, kFnc2 = 178, kFnc3 = 179, kFnc4 = 188;

QString Code128EngineRead(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == kFnc4 && i + 1 < text.size() && text[i + 1].unicode() < 128)
            out += QChar(text[++i].unicode() + 128);
        else if (c != kFnc1 && c != kFnc2 && c != kFnc3 && c != kFnc4)
            out += text[i];
    }
    return out;
}

ZXing::BarcodeFormat ReaderFormat(Format f)
{
    switch (f) {
    case Format::Code128:
        return ZXing::BarcodeFormat::Code128;
    case Format::Code39:
        return ZXing::BarcodeFormat::Code39;
    case Format::Itf:
        return ZXing::BarcodeFormat::ITF;
    case Format::Codabar:
        return ZXing::BarcodeFormat::Codabar;
    case Format::UpcA:
        return ZXing::BarcodeFormat::UPCA;
    case Format::Ean8:
        return ZXing::BarcodeFormat::EAN8;
    case Format::Ean13:
        return ZXing::BarcodeFormat::EAN13;
    case Format::None:
        break;
    }
    return ZXing::BarcodeFormat::None;
}

// A reader wants a module of two pixels or more; the drawing is replayed
// at the smallest whole multiple that gives it, every edge on a pixel.
QImage Raster(const platform::Drawing& drawing, bool& wholeModules)
{
    const double module = drawing.module > 0 ? drawing.module : 1;
    const int factor = static_cast<int>(std::max(1.0, std::ceil(2 / module)));
    QImage image = ExportImage(drawing, ExportOptions{static_cast<int>(platform::kSurfaceDpi) * factor, 0});
    wholeModules = !image.isNull();
    if (image.isNull()) // wider than a picture may be at that size: as the screen shows it
        image = platform::WithQuietZones(drawing.ToImage(), platform::QuietZonePixels(drawing));
    return image;
}

// Pixels beyond any label; larger images are not read (and not held twice).
constexpr qint64 kMaxPixels = qint64(1) << 26;

// --- the short forms the reader does not read ---

// zxing-cpp reads Interleaved 2 of 5 from six digits on.
constexpr qsizetype kItfReaderMinimum = 6;
// ... and not every Codabar symbol of fewer data characters than this.
constexpr qsizetype kCodabarReaderMinimum = 3;

const QString kCodabarData = QStringLiteral("0123456789-$:/.+");

// The pattern (element widths in modules) the encoder makes of the
// expected text, when it is a short form the reader may miss; else empty.
QString ShortFormPattern(const ScanExpectation& e)
{
    const auto only = [&](const QString& allowed) {
        return std::all_of(e.text.begin(), e.text.end(), [&](QChar c) { return allowed.contains(c); });
    };
    if (e.format == Format::Itf && e.text.size() < kItfReaderMinimum && only(QStringLiteral("0123456789"))) {
        const symbologies::Interleaved25Result r = symbologies::Interleaved25Pattern(e.text);
        return r.error ? QString() : r.pattern;
    }
    if (e.format == Format::Codabar && !e.text.isEmpty() && e.text.size() < kCodabarReaderMinimum && only(kCodabarData))
        return symbologies::CodabarPattern(e.text);
    return {};
}

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

ScanExpectation ExpectedScan(ScanSymbology symbology, const QString& text)
{
    switch (symbology) {
    case ScanSymbology::Code128B:
        return {Format::Code128, Code128EngineRead(text)};
    case ScanSymbology::Code39:
        return {Format::Code39, text.toUpper()};
    case ScanSymbology::Code128_1:
        return {Format::Code128, text};
    case ScanSymbology::Code25:
        return {Format::Itf, text.size() % 2 ? text + QLatin1Char('0') : text};
    case ScanSymbology::Codabar:
        return {Format::Codabar, text.toUpper()};
    case ScanSymbology::UpcA: {
        const QString code = text.trimmed();
        return {Format::UpcA, code + QString::number(symbologies::UpcACheckDigit(code))};
    }
    case ScanSymbology::Ean:
        if (text.size() < 7)
            return {};
        if (text.size() <= 11)
            return {Format::Ean8, symbologies::EanWithCheckDigit(text.left(7))};
        return {Format::Ean13, symbologies::EanWithCheckDigit(text.left(12))};
    }
    return {};
}

QString ScanResult::Text() const
{
    switch (verdict) {
    case Verdict::Scans:
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
    if (expected.format == Format::None || image.isNull() || qint64(image.width()) * image.height() > kMaxPixels)
        return result;
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    if (grey.isNull())
        return result;
    ZXing::DecodeHints hints;
    hints.setFormats(ReaderFormat(expected.format));
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
        if (const QString pattern = ShortFormPattern(expected); !pattern.isEmpty()) {
            if (WidthsMatch(grey, pattern)) {
                result.verdict = ScanResult::Verdict::Scans;
                result.byWidths = true;
                result.read = expected.text;
            }
        }
        return result;
    }
    result.read = QString::fromStdString(found.front().text());
    result.verdict = result.read == expected.text ? ScanResult::Verdict::Scans : ScanResult::Verdict::WrongText;
    return result;
}

ScanResult ScanCheck(const platform::Drawing& drawing, ScanSymbology symbology, const QString& text)
{
    const ScanExpectation expected = ExpectedScan(symbology, text);
    if (drawing.IsEmpty()) {
        ScanResult nothing;
        nothing.expected = expected.text;
        return nothing;
    }
    bool wholeModules = false;
    const QImage image = Raster(drawing, wholeModules);
    ScanResult result = ScanImage(image, expected);
    // Widths drawn off the pixel grid can't be measured: a short form the
    // reader missed is then not checked rather than called unreadable.
    if (result.verdict == ScanResult::Verdict::DoesNotScan && !wholeModules && !ShortFormPattern(expected).isEmpty())
        result.verdict = ScanResult::Verdict::NotChecked;
    return result;
}

} // namespace output
