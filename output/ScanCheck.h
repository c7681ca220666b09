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
#include "symbologies/Symbology.h"

#include <QImage>
#include <QString>

namespace output {

using ScanSymbology = symbologies::Symbology;

// What a reader should read, and in which format, for a symbol drawn from
// `text`.
struct ScanExpectation {
    enum class Format { None, Code128, Code39, Itf, Codabar, UpcA, Ean8, Ean13 };
    Format format = Format::None; // None: the text draws no symbol
    QString text;
};
ScanExpectation ExpectedScan(ScanSymbology symbology, const QString& text);

struct ScanResult {
    enum class Verdict { Scans, DoesNotScan, WrongText };
    Verdict verdict = Verdict::DoesNotScan;
    QString read;     // what the reader read; empty when it found no symbol
    QString expected; // what it should have read

    bool Scans() const { return verdict == Verdict::Scans; }
    // "scans", "does not scan", or what it reads instead.
    QString Text() const;
};

// Reads the drawing of a symbol drawn from `text` and compares.
ScanResult ScanCheck(const platform::Drawing& drawing, ScanSymbology symbology, const QString& text);

// Reads an image that holds one symbol and compares with the expectation.
// Any image is safe to hand it, whatever it holds.
ScanResult ScanImage(const QImage& image, const ScanExpectation& expected);

} // namespace output
