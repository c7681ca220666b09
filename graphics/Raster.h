// A drawing as a picture of its own: replayed with its quiet zones at a
// resolution (or a number of pixels per module), every box edge on a whole
// pixel. What a PNG file holds and what the scan check reads.
#pragma once

#include "graphics/Drawing.h"

#include <QImage>
#include <QSize>

namespace graphics {

struct RasterOptions {
    // Pixels per inch, recorded in the picture. A module gets the whole
    // number of pixels nearest to its size at this resolution (at least 1).
    int dpi = 300;
    // Pixels per module instead; 0 leaves it to `dpi`.
    int moduleDots = 0;
};

// The widest and tallest picture made.
inline constexpr int kMaxRasterPixels = 32767;

// Where the drawing lands on the picture: device pixels per drawing pixel,
// the quiet zone on either side and the picture's size (empty when it would
// be larger than kMaxRasterPixels on a side).
struct RasterLayout {
    DeviceGrid grid;
    double scale = 1;
    int quiet = 0;
    int quietRows = 0; // above and below (two-dimensional codes)
    QSize size;
};
RasterLayout LayOutRaster(const Drawing& drawing, const RasterOptions& options);

// True when the drawing holds only black and white shapes (no picture).
bool IsBlackAndWhite(const Drawing& drawing);

// The picture; grey when the drawing is black and white. Null when it would
// be larger than kMaxRasterPixels on a side, or when its memory can't be had.
QImage RasterImage(const Drawing& drawing, const RasterOptions& options);

} // namespace graphics
