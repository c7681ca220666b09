// Code 39: draws the symbol of a text straight into a picture box, element
// by element, sizes the box to the symbol and prints the text centred under
// the bars when asked. No check character is added.
#pragma once

#include "platform/Surface.h"

#include <QString>
#include <array>
#include <string_view>

namespace symbologies {

// Bar patterns indexed by character code 0..90: "1" a narrow bar, "2" a wide
// bar, each preceded by a one-module space; a blank widens the next space.
// Code 1 and 2 are the start and stop character (drawn as "*"); an empty
// entry draws nothing.
std::array<std::string_view, 91> Code39Table();

// `text` is upper-cased in place. Leaves the box in pixel scale. Returns
// the right edge of the symbol in pixels (0 for an empty text), which can
// lie beyond the box when the box could not be made wide enough.
double DrawCode39(QString& text, platform::Surface& box, bool includeText);

// What DrawCode39 does to the box (pixel scale, cleared, sized for the
// text) without drawing: the Code 128 B step sizes Picture1 so. Returns the
// same right edge.
double SizeCode39(QString& text, platform::Surface& box, bool includeText);

} // namespace symbologies
