// Does the drawn symbol scan? The drawing is rasterised with its quiet
// zones, read with an independent reader (zxing-cpp) and compared with the
// text a reader should get back from what the user asked for.
//
// zxing-cpp does not read every valid symbol: it reads no Interleaved 2 of
// 5 symbol under six digits and not every Codabar symbol of one or two
// characters. Where it reads nothing of such a short form, the drawn bar
// and space widths are measured and compared with the encoder's pattern
// of the expected text instead; a symbol that can't be measured is "not
// checked", never "does not scan".
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
    enum class Verdict { Scans, DoesNotScan, WrongText, NotChecked };
    Verdict verdict = Verdict::DoesNotScan;
    QString read;     // what the reader read; empty when it found no symbol
    QString expected; // what it should have read
    bool byWidths = false; // Scans: confirmed by its widths, not by the reader

    bool Scans() const { return verdict == Verdict::Scans; }
    // True when the symbol was found not to scan (DoesNotScan, WrongText).
    bool Fails() const { return verdict == Verdict::DoesNotScan || verdict == Verdict::WrongText; }
    // "scans", "does not scan", what it reads instead, or why it was not checked.
    QString Text() const;
};

// Reads the drawing of a symbol drawn from `text` and compares.
ScanResult ScanCheck(const platform::Drawing& drawing, ScanSymbology symbology, const QString& text);

// Reads an image that holds one symbol and compares with the expectation.
// Any image is safe to hand it, whatever it holds.
ScanResult ScanImage(const QImage& image, const ScanExpectation& expected);

} // namespace output
