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

#include "graphics/Drawing.h"

#include <QImage>
#include <QString>

namespace symbols {

// What a reader should read from a symbol, and in which format: the
// reader's own name of it ("Code128", "ITF", "EAN-13", ...), so that a
// symbology of a format the reader knows needs nothing here. No format:
// the text draws no symbol.
struct ScanExpectation {
    QString format;
    QString text;
    // For a short form the reader may not read (zxing-cpp reads no
    // Interleaved 2 of 5 under six digits): the pattern of the symbol's
    // element widths, which the picture's bars are measured against
    // instead. Empty when the reader decides alone.
    QString widthsPattern = {};
    // Why the symbol holds another text than was typed (a 0 added, a check
    // digit replaced, digits not used), or empty when it holds what was typed.
    QString note = {};
};

struct ScanResult {
    enum class Verdict { Scans, DoesNotScan, WrongText, NotChecked };
    Verdict verdict = Verdict::DoesNotScan;
    QString read;     // what the reader read; empty when it found no symbol
    QString expected; // what it should have read
    bool byWidths = false; // Scans: confirmed by its widths, not by the reader
    QString note;          // why what it holds is not what was typed, or empty

    bool Scans() const { return verdict == Verdict::Scans; }
    // True when the symbol was found not to scan (DoesNotScan, WrongText).
    bool Fails() const { return verdict == Verdict::DoesNotScan || verdict == Verdict::WrongText; }
    // "scans" ("scans as X (why)" when it holds other than was typed), "does
    // not scan", what it reads instead, or why it was not checked.
    QString Text() const;
};

// Reads the drawing of a symbol and compares with what it should read as.
ScanResult ScanCheck(const graphics::Drawing& drawing, const ScanExpectation& expected);

// Reads an image that holds one symbol and compares with the expectation.
// Any image is safe to hand it, whatever it holds.
ScanResult ScanImage(const QImage& image, const ScanExpectation& expected);

} // namespace symbols
