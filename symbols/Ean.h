// EAN-13 and EAN-8: draws the symbol of a text into a picture box,
// one scale unit per module, every dark module as one vertical
// line, guard bars longer than the data bars and each digit under its bars.
#pragma once

#include "core/Result.h"
#include "graphics/Surface.h"

#include <QString>
#include <array>
#include <optional>
#include <string_view>

namespace symbols {

// Code sets, one character per module, "1" dark: A odd parity left,
// B even parity left, C right.
inline constexpr std::array<std::string_view, 10> kEanSetA{
    "0001101", "0011001", "0010011", "0111101", "0100011",
    "0110001", "0101111", "0111011", "0110111", "0001011",
};
inline constexpr std::array<std::string_view, 10> kEanSetB{
    "0100111", "0110011", "0011011", "0100001", "0011101",
    "0111001", "0000101", "0010001", "0001001", "0010111",
};
inline constexpr std::array<std::string_view, 10> kEanSetC{
    "1110010", "1100110", "1101100", "1000010", "1011100",
    "1001110", "1010000", "1000100", "1001000", "1110100",
};
// Indexed by the first digit of an EAN-13 code: character k names the set
// of the left digit k + 2, "0" set A, "1" set B.
inline constexpr std::array<std::string_view, 10> kEanParity{
    "000000", "001011", "001101", "001110", "010011",
    "011001", "011100", "010101", "010110", "011010",
};

constexpr bool EanTablesOk()
{
    for (std::size_t d = 0; d < 10; ++d)
        if (kEanSetA[d].size() != 7 || kEanSetB[d].size() != 7 || kEanSetC[d].size() != 7 || kEanParity[d].size() != 6)
            return false;
    return true;
}
static_assert(EanTablesOk(), "EAN code set entries are 7 modules, parity entries 6 digits");

// Longest text the drawer takes; longer texts are refused with a message.
inline constexpr qsizetype kEanMaxTextLength = 20;
QString EanTooLongMessage();

// Check digit of a 7- or 12-character text (non-digits count as 0); 0 for
// any other length.
int EanCheckDigit(const QString& digits);
QString EanWithCheckDigit(const QString& digits);

// One line DrawWidth wide at x from Y 5 down to Y barLength + extra, in
// the box's foreground colour; extra is 0 for data modules, 6 for guards.
void DrawEanModule(graphics::Surface& box, int x, double barLength, int extra);
// The dark modules at x and x + 2, long; x moves past the three modules.
void DrawEanGuard(graphics::Surface& box, int& x, double barLength);

// What DrawEan drew: the full code with its check digit (the text itself
// when nothing was drawn), and what went wrong.
struct EanDrawn {
    QString code;
    core::Status status;
};

// Draws the symbol of a text: 7 to 11 characters give EAN-8 of the first
// 7, 12 to 20 EAN-13 of the first 12, and a typed check digit is replaced
// by the computed one. Up to 6 characters draw nothing. `barLength` and `fontSize` are the numbers of the size
// fields, none for a text that is not one. A run-time error (a non-digit,
// a size that is not a number or is huge) comes back as its number and
// description, and what was drawn stays; a text over 20 characters draws
// nothing and says so.
EanDrawn DrawEan(graphics::Surface& box, const QString& text, std::optional<double> barLength,
                 std::optional<double> fontSize);

// Gives the box the scale DrawEan draws in: two pixels per module, so the
// two-pixel lines of neighbouring dark modules join into solid bars, and a
// vertical scale that fits the bars, the guards and the digit line into the
// box for the given bar length and font size.
void FitEanScale(graphics::Surface& box, std::optional<double> barLength, std::optional<double> fontSize);
inline constexpr int kEanPixelsPerModule = 2;

} // namespace symbols
