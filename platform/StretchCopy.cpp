#include "platform/StretchCopy.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {
namespace {

inline QRgb Darkest(QRgb a, QRgb b)
{
    return qRgb(std::min(qRed(a), qRed(b)), std::min(qGreen(a), qGreen(b)), std::min(qBlue(a), qBlue(b)));
}

} // namespace

int StretchColumns(const QImage& source, int sourceWidth, QImage& dest, int destUnits, int sourceUnits)
{
    if (destUnits <= 0 || sourceUnits <= 0 || source.format() != QImage::Format_RGB32 ||
        dest.format() != QImage::Format_RGB32)
        return 0;
    sourceWidth = std::clamp(sourceWidth, 0, source.width());
    const qint64 wanted = (qint64(sourceWidth) * destUnits + sourceUnits - 1) / sourceUnits;
    const int width = static_cast<int>(std::min<qint64>(wanted, dest.width()));
    const int rows = std::min(source.height(), dest.height());
    if (width <= 0 || rows <= 0)
        return 0;

    // Source column range of every destination column.
    std::vector<int> first(static_cast<std::size_t>(width) + 1);
    for (int x = 0; x <= width; ++x)
        first[x] = static_cast<int>(std::min<qint64>(qint64(x) * sourceUnits / destUnits, sourceWidth));

    const std::size_t rowBytes = std::size_t(sourceWidth) * sizeof(QRgb);
    for (int y = 0; y < rows; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(dest.scanLine(y));
        // Drawings repeat rows (the height of a bar); a repeated row copies
        // the row just made.
        if (y > 0 && std::memcmp(in, source.constScanLine(y - 1), rowBytes) == 0) {
            std::memcpy(out, dest.constScanLine(y - 1), std::size_t(width) * sizeof(QRgb));
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const int from = std::min(first[x], sourceWidth - 1);
            const int to = std::max(first[x + 1], from + 1);
            QRgb pixel = in[from];
            for (int s = from + 1; s < to; ++s)
                pixel = Darkest(pixel, in[s]);
            out[x] = pixel;
        }
    }
    return width;
}

} // namespace platform
