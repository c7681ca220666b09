// A PNG writer for barcode pictures: black and white, one bit per pixel,
// every row stored as its difference to the row above. A barcode's rows
// are nearly all the same, so they pack to almost nothing, many times
// faster than the general writer, which tries five filters on every row of
// an RGB picture.
#pragma once

#include <QByteArray>
#include <QImage>

namespace files {

// The PNG file of the picture in black and white: a pixel is black when
// its green is below the middle (its grey value, for a grey pixel). States `dotsPerMeter` as its
// resolution. Empty when the compressor failed (out of memory).
QByteArray MonoPng(const QImage& picture, int dotsPerMeter);

} // namespace files
