// Codabar as a bar pattern: the character A as start and stop, a one-module
// gap after every character, no check character. Wide elements are two
// modules.
#pragma once

#include "symbols/LeftOut.h"

#include <QString>

namespace symbols {

// The pattern of the symbol of `text` (already upper case). Characters
// other than 0-9 - $ : / . + A B C D are left out; the symbology's row
// says so in the note under the symbol.
QString CodabarPattern(const QString& text);

// What CodabarPattern does with a character of the upper-cased text: the
// data characters 0-9 - $ : / . + are kept, A to D are drawn as start and
// stop characters, and the rest are left out.
CharacterFate CodabarFate(QChar c);
inline constexpr CharacterRule kCodabarCharacters{CodabarFate, true};

} // namespace symbols
