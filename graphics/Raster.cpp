#include "graphics/Raster.h"

#include "core/Units.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace graphics {

RasterLayout LayOutRaster(const Drawing& d, const RasterOptions& o)
{
    RasterLayout l;
    const double module = d.module > 0 ? d.module : 1;
    if (o.moduleDots > 0) {
        // A grid whose nearest whole number of dots per module is exactly moduleDots.
        const double dpi = o.moduleDots * core::kSurfaceDpi / module;
        l.grid = DeviceGrid{dpi, dpi};
    } else {
        l.grid = DeviceGrid{double(std::max(o.dpi, 1)), double(std::max(o.dpi, 1))};
    }
    // Pixels per module win over a size asked in mm.
    l.scale = o.moduleDots > 0 ? l.grid.UnitsPerPixel(module) : l.grid.UnitsPerPixel(d);
    l.quiet = static_cast<int>(std::lround(QuietZonePixels(d) * l.scale));
    l.quietRows = static_cast<int>(std::lround(QuietZoneRows(d) * l.scale));
    const double w = std::ceil(d.size.width() * l.scale) + 2.0 * l.quiet;
    const double h = std::ceil(d.size.height() * l.scale) + 2.0 * l.quietRows;
    if (w > kMaxRasterPixels || h > kMaxRasterPixels)
        return l; // size stays empty: too large
    l.size = QSize(std::max(static_cast<int>(w), 1), std::max(static_cast<int>(h), 1));
    return l;
}

bool IsBlackAndWhite(const Drawing& d)
{
    for (const DrawOp& op : d.Ops())
        if (op.kind == DrawOp::Kind::Image || (op.color != kBlack && op.color != kWhite))
            return false;
    return true;
}

QImage RasterImage(const Drawing& drawing, const RasterOptions& options)
{
    const RasterLayout l = LayOutRaster(drawing, options);
    if (l.size.isEmpty())
        return {};
    // A black-and-white drawing needs no colour: grey takes a quarter of
    // the memory, which counts at hundreds of millions of pixels.
    QImage image(l.size, IsBlackAndWhite(drawing) ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (image.isNull()) // the memory could not be had: no painter on nothing
        return {};
    const int dotsPerMeter = static_cast<int>(std::lround(std::max(options.dpi, 1) / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    Replay(drawing, painter, QPointF(l.quiet, l.quietRows), l.grid);
    return image;
}

} // namespace graphics
