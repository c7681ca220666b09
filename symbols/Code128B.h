// Code 128, code set B, as a bar pattern: start B, one symbol character per
// printable ASCII character, the modulo-103 check character and the stop.
#pragma once

#include "symbols/LeftOut.h"

#include <QString>

namespace symbols {

// The Code 128 value of a character in code set B (blank..~ are 0..94), or
// -1 for a character the set does not hold.
int Code128BValue(QChar c);

// The pattern of the symbol of `text`. Characters outside blank..~ are left
// out (the symbology's row says so in the note under the symbol) and do not count as positions for the check character.
QString Code128BPattern(const QString& text);

// What Code128BPattern does with a character: blank..~ are kept, the rest
// left out.
CharacterFate Code128BFate(QChar c);
inline constexpr CharacterRule kCode128BCharacters{Code128BFate, false};

} // namespace symbols
