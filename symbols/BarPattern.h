// The bar-pattern renderer: an encoder (the one a symbology's row names)
// builds the pattern of the whole symbol, and the renderer draws one filled
// box per bar, with the text under the bars when asked.
//
// A pattern is a text of the digits "1" to "4", one per element, giving its
// width in modules; odd positions (counting from 1) are bars, even ones
// spaces. Every pattern starts and ends with a bar.
#pragma once

#include "core/Result.h"
#include "graphics/Surface.h"

#include <QString>
#include <string_view>

namespace symbols {

// Widths of one module in the surface's units: of a bar and of a space.
// Whole numbers, so that every element of a symbol is a whole number of
// pixels and elements of equal module counts are equally wide.
struct ModuleWidths {
    int bar = 2;
    int space = 2;
    friend bool operator==(const ModuleWidths&, const ModuleWidths&) = default;
};

// What an encoder makes of a text: the pattern of the whole symbol (or of
// the part built before a failure, and why it failed).
struct EncodedPattern {
    QString pattern;
    core::Status status;
    // Bars across the top and the bottom of the symbol, with teeth into the
    // spaces: Interleaved 2 of 5, which has no check character.
    bool bearers = false;
};

// The renderer's encoders, one per symbology it draws: each changes `text`
// as it says, and draws nothing and keeps nothing.
using PatternEncoder = EncodedPattern (*)(QString& text);
EncodedPattern Code128BPatternOf(QString& text);      // Code 128 B
EncodedPattern Interleaved25PatternOf(QString& text); // an odd-length text gets "0" appended
EncodedPattern CodabarPatternOf(QString& text);       // the text is upper-cased

// How a pattern is drawn.
struct PatternStyle {
    ModuleWidths widths;
    float barHeight = 14;
    bool includeText = false;
    bool bearers = false; // bars across the top and the bottom, with teeth into the spaces (Interleaved 2 of 5)
};

// Draws a pattern from (left, top): one filled box per bar, and the text
// left-aligned under the bars when the style asks for it.
void DrawPattern(graphics::Surface& surface, const PatternStyle& style, float left, float top, const QString& text,
                 const QString& pattern);

// How many modules the bars and the spaces of a pattern take.
struct PatternModules {
    int bars = 0;
    int spaces = 0;
};
PatternModules CountModules(const QString& pattern);

// How far the drawing of a pattern reaches right of its left edge.
double PatternWidth(const QString& pattern, ModuleWidths widths);

// The module widths whose symbol comes nearest `target` units wide: bars
// and spaces equally wide, or, from three units a module on, spaces one
// unit wider (a third more at most, which both zxing-cpp and zbar read;
// half as wide again, at two and three, most symbols do not). Never under
// one unit a module, however small the target.
ModuleWidths NearestModuleWidths(PatternModules modules, double target);

} // namespace symbols
