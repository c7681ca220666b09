// The "Code 128-1" and "Code 2/5" step of Generate, and Codabar through
// the same renderer: a bar-pattern symbol drawn at the whole-pixel module
// widths that bring it nearest the width asked in Text9.
#pragma once

#include "core/Result.h"
#include "graphics/Surface.h"
#include "symbols/BarPattern.h"

#include <QString>
#include <optional>

namespace symbols {

// The sizes as the pattern symbols read them.
struct PatternSizes {
    std::optional<double> heightFactor; // bars are 10 times it (1.4 when not a number)
    std::optional<double> width;        // the "800" drawing scaled by width / 800
    bool withText = false;
};

// Encodes `text` with the renderer's encoder a symbology's row names
// (`text` changes as the encoder says) and draws it on the surface, in pixel scale,
// from (1, 20), the surface widened to hold it. kTooLongToDraw, with
// nothing drawn, when the symbol is wider than the widest surface. An
// encoder that fails part-way (Interleaved 2 of 5) draws what it built and
// says why.
core::Status DrawPatternSymbol(PatternEncoder encode, QString& text, const PatternSizes& sizes,
                               graphics::Surface& surface);

} // namespace symbols
