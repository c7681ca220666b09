// Code 39: the elements of a text's symbol, and their layout in a picture
// box sized to the symbol, with the text centred under the bars when asked.
// No check character is added.
#pragma once

#include "graphics/Surface.h"
#include "symbols/Element.h"
#include "symbols/LeftOut.h"

#include <QString>
#include <array>
#include <string_view>
#include <vector>

namespace symbols {

// Bar patterns indexed by character code 0..90: "1" a narrow bar, "2" a wide
// bar, each preceded by a one-module space; a blank widens the next space.
// Code 1 and 2 are the start and stop character (drawn as "*"); an empty
// entry draws nothing.
std::array<std::string_view, 91> Code39Table();

// A text's symbol: the text upper-cased, as the caption shows it, and the
// elements of start, its characters and stop, as the table gives them,
// then a trailing space; a character the table lacks, or one above code 90,
// gives none. An empty text has no elements.
struct Code39Symbol {
    QString text;
    Elements elements;
};
Code39Symbol EncodeCode39(const QString& text);

// What EncodeCode39 does with a character of the upper-cased text: the
// table's characters are kept, those it lacks are left out, and "*" and the
// codes 1 and 2 are drawn as the start and stop character.
CharacterFate Code39Fate(QChar c);
inline constexpr CharacterRule kCode39Characters{Code39Fate, true};

// Lays the symbol out in the box: pixel scale, cleared, the module from the
// box height, the box sized for the symbol. Returns the right edge of the
// symbol in pixels (0 for an empty text, which only clears the box), which
// can lie beyond the box when the box could not be made wide enough.
double DrawCode39(const Code39Symbol& symbol, graphics::Surface& box, bool includeText);

// What DrawCode39 does to the box (pixel scale, cleared, sized for the
// symbol) without drawing: the Code 128 B step sizes its surface so. Returns
// the same right edge.
double SizeCode39(const Code39Symbol& symbol, graphics::Surface& box, bool includeText);

} // namespace symbols
