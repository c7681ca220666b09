// Does the drawn symbol scan? The drawing is rasterised with its quiet
// zones, read with an independent reader (zxing-cpp) and compared with the
// text a reader should get back from what the user asked for.
//
// The reader is handed one symbol at a time and looks for one symbol of the
// one expected format: the packaged zxing-cpp 1.4 stops the program on an
// internal assertion when it compares several symbols found in one image.
// Uses QImage and the reader only, so it may run on a worker thread.
#pragma once

#include "platform/Drawing.h"

#include <QImage>
#include <QString>

namespace output {

// What a reader should read from a symbol, and in which format: the
// reader's own name of it ("Code128", "ITF", "EAN-13", ...), so that a
// symbology of a format the reader knows needs nothing here. No format:
// the text draws no symbol.
struct ScanExpectation {
    QString format;
    QString text;
};

struct ScanResult {
    enum class Verdict { Scans, DoesNotScan, WrongText };
    Verdict verdict = Verdict::DoesNotScan;
    QString read;     // what the reader read; empty when it found no symbol
    QString expected; // what it should have read

    bool Scans() const { return verdict == Verdict::Scans; }
    // "scans", "does not scan", or what it reads instead.
    QString Text() const;
};

// Reads the drawing of a symbol and compares with what it should read as.
ScanResult ScanCheck(const platform::Drawing& drawing, const ScanExpectation& expected);

// Reads an image that holds one symbol and compares with the expectation.
// Any image is safe to hand it, whatever it holds.
ScanResult ScanImage(const QImage& image, const ScanExpectation& expected);

} // namespace output
