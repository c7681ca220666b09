// Codabar as a bar pattern: the character A as start and stop, a one-module
// gap after every character, no check character. Wide elements are two
// modules.
#pragma once

#include <QString>

namespace symbols {

// The pattern of the symbol of `text` (already upper case). Characters
// other than 0-9 - $ : / . + A B C D are left out silently.
QString CodabarPattern(const QString& text);

} // namespace symbols
