#include "output/ScanCheck.h"

#include "output/Export.h"
#include "platform/Units.h"
#include "symbologies/Ean.h"
#include "symbologies/UpcA.h"

#include <ZXing/ReadBarcode.h>
#include <cmath>

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
QImage Raster(const platform::Drawing& drawing)
{
    const double module = drawing.module > 0 ? drawing.module : 1;
    const int factor = static_cast<int>(std::max(1.0, std::ceil(2 / module)));
    QImage image = ExportImage(drawing, ExportOptions{static_cast<int>(platform::kSurfaceDpi) * factor, 0});
    if (image.isNull()) // wider than a picture may be at that size: as the screen shows it
        image = platform::WithQuietZones(drawing.ToImage(), platform::QuietZonePixels(drawing));
    return image;
}

// Pixels beyond any label; larger images are not read (and not held twice).
constexpr qint64 kMaxPixels = qint64(1) << 26;

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
        return QStringLiteral("scans");
    case Verdict::DoesNotScan:
        break;
    case Verdict::WrongText:
        return QStringLiteral("does not scan: it reads \"%1\", not \"%2\"").arg(read, expected);
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
    if (found.empty() || !found.front().isValid())
        return result;
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
    return ScanImage(Raster(drawing), expected);
}

} // namespace output
