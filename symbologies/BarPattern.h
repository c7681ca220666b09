// The bar-pattern renderer: picks an encoder by a short type code, lets it
// build the pattern of the whole symbol, and draws one filled box per bar,
// with the text under the bars when asked.
//
// A pattern is a text of the digits "1" to "4", one per element, giving its
// width in modules; odd positions (counting from 1) are bars, even ones
// spaces. Every pattern starts and ends with a bar.
#pragma once

#include "platform/Surface.h"

#include <QString>
#include <string_view>

namespace symbologies {

// The pattern of the last symbol encoded. Written only by the encoders
// (EncodeCode128B, EncodeInterleaved25, EncodeCodabar), each replacing it
// with one complete symbol (or the part built before a failure); read by
// DrawBarPattern, which draws it again when a call runs no encoder. Starts
// empty and lives for the whole run.
extern QString BarPattern;

// Types: "128" Code 128 B, "25" Interleaved 2 of 5 (an odd-length text gets
// "0" appended), "Codit" Codabar (the text is upper-cased). Any other type
// runs no encoder and draws the previous pattern again. `text` may be
// changed as said; the changed text is encoded and printed. Geometry is in
// the surface's scale units; the surface is neither cleared nor resized.
void DrawBarPattern(const QString& type, QString& text, platform::Surface& surface, short module,
                    float barHeight, float left, float top, bool includeText);

// Appends a piece of pattern held as ASCII digits.
inline void AppendPattern(QString& pattern, std::string_view piece)
{
    for (char c : piece)
        pattern += QLatin1Char(c);
}

// How far the drawing of a pattern reaches right of its left edge: the sum
// of the bar widths and the widened spaces, as the renderer advances.
double PatternWidth(const QString& pattern, short module);

} // namespace symbologies
