// Decoding what the program draws, with zxing-cpp as an independent reader.
#pragma once

#include "tests/support/PrintTo.h"

#include <QImage>
#include <ZXing/BarcodeFormat.h>
#include <string>
#include <vector>

namespace testsupport {

struct Decoded {
    std::string text;
    ZXing::BarcodeFormat format = ZXing::BarcodeFormat::None;
    int top = 0;  // y of the symbol's first scan line found
    int left = 0; // x of the symbol's left edge
    int bottom = 0; // y of the last scan line found
    int Middle() const { return (top + bottom) / 2; }
};

// The first barcode of the given formats found in the image, text empty when none.
Decoded DecodeOne(const QImage& image, ZXing::BarcodeFormats formats = ZXing::BarcodeFormats{});

// Every barcode found, top to bottom.
std::vector<Decoded> DecodeAll(const QImage& image, ZXing::BarcodeFormats formats = ZXing::BarcodeFormats{});

// Every barcode zbar (zbarimg, the second reader) finds, as its text,
// sorted; formats are not told apart. Like a scanner's redundancy check, a
// read counts when two scan lines agree on it (zbar's quality): zbar also
// lists what one line alone glimpsed.
std::vector<std::string> ZbarDecodeAll(const QImage& image);

// What zbar reads from a picture of one symbol, as its bytes. zbar gives a
// QR Code quality 1 (it is read whole or not at all), which ZbarDecodeAll
// leaves out, and its XML output mangles UTF-8 it takes for binary.
std::string ZbarReadOne(const QImage& image);

// The part of a page that holds its symbol, with `margin` of white around
// it: what a scanner held over the label sees. (zxing-cpp misses a small
// Data Matrix or Aztec symbol on a whole page.)
QImage AroundInk(const QImage& page, int margin = 40);

// Adds a white margin around an image, as a quiet zone for the reader.
QImage WithQuietZone(const QImage& image, int margin = 40);

} // namespace testsupport
