// Decoding what the program draws, with zxing-cpp as an independent reader.
#pragma once

#include "tests/support/Printers.h"

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

// Adds a white margin around an image, as a quiet zone for the reader.
QImage WithQuietZone(const QImage& image, int margin = 40);

} // namespace testsupport
