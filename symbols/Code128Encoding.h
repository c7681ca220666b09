// Encoding a text into one Code 128 symbol in code set B: start B, one value
// per character (four accepted characters stand for FNC1..FNC4), the
// optional modulo-103 check value and stop. Pure: text in, values out.
#pragma once

#include "symbols/Element.h"

#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

namespace symbols {

// Symbol values from the start value to the stop value.
using Code128Symbol = std::vector<int>;

// Whether a character may appear in a text: Windows-1252 32..127, and 16,
// 178 (FNC2), 179 (FNC3), 185 (FNC1), 188 (FNC4).
bool IsCode128Character(QChar c);

// The symbol of a validated text; the check value is drawn when
// addCheckCharacter is 1. Character 16 (DLE) is drawn as SHIFT followed by
// its code-set-A value 80, so a reader gets the character itself.
// Characters that are not accepted are left out.
Code128Symbol EncodeCode128(const QString& text, std::int32_t addCheckCharacter);

// Element widths in modules of a value 0..106, bar first.
std::string_view Code128Pattern(int value);

// Total modules of a symbol: 11 per value, 13 for the stop.
std::int64_t Code128Modules(const Code128Symbol& symbol);

// The bars and spaces of a symbol, bar first, in modules.
Elements Code128Elements(const Code128Symbol& symbol);

} // namespace symbols
