#include "output/ScanCheck.h"

#include "output/Export.h"
#include "platform/Units.h"

#include <ZXing/ReadBarcode.h>
#include <cmath>

namespace output {
namespace {

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
    if (found.empty() || !found.front().isValid())
        return result;
    result.read = QString::fromStdString(found.front().text());
    result.verdict = result.read == expected.text ? ScanResult::Verdict::Scans : ScanResult::Verdict::WrongText;
    return result;
}

ScanResult ScanCheck(const platform::Drawing& drawing, const ScanExpectation& expected)
{
    if (drawing.IsEmpty()) {
        ScanResult nothing;
        nothing.expected = expected.text;
        return nothing;
    }
    return ScanImage(Raster(drawing), expected);
}

} // namespace output
