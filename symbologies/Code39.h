// Code 39: draws the symbol of a text straight into a picture box, element
// by element, sizes the box to the symbol and prints the text centred under
// the bars when asked. No check character is added.
#pragma once

#include "platform/Surface.h"

#include <QString>
#include <array>
#include <string_view>
#include <vector>

namespace symbologies {

// Bar patterns indexed by character code 0..90: "1" a narrow bar, "2" a wide
// bar, each preceded by a one-module space; a blank widens the next space.
// Code 1 and 2 are the start and stop character (drawn as "*"); an empty
// entry draws nothing.
std::array<std::string_view, 91> Code39Table();

// One element of a symbol: a bar or a space, so many modules wide.
struct Code39Element {
    bool bar;
    int modules;
};
// The elements of the symbol of a text (upper case, start and stop
// included), left to right, as the table gives them; a character the table
// lacks, or one above code 90, gives none. Draws nothing.
std::vector<Code39Element> Code39Elements(const QString& text);

// `text` is upper-cased in place. Leaves the box in pixel scale. Returns
// the right edge of the symbol in pixels (0 for an empty text), which can
// lie beyond the box when the box could not be made wide enough.
double DrawCode39(QString& text, platform::Surface& box, bool includeText);

// What DrawCode39 does to the box (pixel scale, cleared, sized for the
// text) without drawing: the Code 128 B step sizes Picture1 so. Returns the
// same right edge.
double SizeCode39(QString& text, platform::Surface& box, bool includeText);

} // namespace symbologies
