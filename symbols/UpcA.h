// UPC-A: the elements of the symbol of an 11-digit code plus its check
// digit, and their layout in a picture box in twips, element by element as
// runs of one-twip lines.
#pragma once

#include "core/Result.h"
#include "graphics/Surface.h"
#include "symbols/Element.h"

#include <QString>
#include <array>
#include <string_view>
#include <vector>

namespace symbols {

// Element sequences per digit: "b" a bar, "s" a space, each followed by its
// width in modules. A left entry is the digit's odd-parity code without its
// leading light module and with one light module appended (the guard before
// it supplies the missing one); a right entry is the digit's right code.
inline constexpr std::array<std::string_view, 10> kUpcALeft{
    "s2b2s1b1s1", "s1b2s2b1s1", "s1b1s2b2s1", "b4s1b1s1", "b1s3b2s1",
    "b2s3b1s1",   "b1s1b4s1",   "b3s1b2s1",   "b2s1b3s1", "s2b1s1b2s1",
};
inline constexpr std::array<std::string_view, 10> kUpcARight{
    "b3s2b1s1", "b2s2b2s1", "b2s1b2s1s1", "b1s4b1s1", "b1s1b3s1s1",
    "b1s2b3s1", "b1s1b1s3s1", "b1s3b1s1s1", "b1s2b1s2s1", "b3s1b1s1s1",
};
inline constexpr std::string_view kUpcAGuard = "b1s1b1s1";

constexpr int UpcAModules(std::string_view elements)
{
    int m = 0;
    for (std::size_t i = 1; i < elements.size(); i += 2)
        m += elements[i] - '0';
    return m;
}

constexpr bool UpcATableOk()
{
    for (std::size_t d = 0; d < 10; ++d)
        if (UpcAModules(kUpcALeft[d]) != 7 || UpcAModules(kUpcARight[d]) != 7)
            return false;
    return UpcAModules(kUpcAGuard) == 4;
}
static_assert(UpcATableOk(), "every UPC-A digit is 7 modules wide, the guard 4");

// Layout in twips: a module is 15 twips, and an element of n modules is
// drawn as 15n + 1 lines one twip apart.
inline constexpr int kUpcALeft0 = 250;
inline constexpr int kUpcATop = 200;
inline constexpr int kUpcABarLength = 400;
inline constexpr int kUpcATextX = 450;
inline constexpr int kUpcATextY = 650;
inline constexpr int kUpcALinesPerModule = 15;

inline const QString kUpcANot11Digits = QStringLiteral("Code is not 11 Digits");

// The check digit of the trimmed text: digit k is character k's value, 0 for
// a non-digit or a position past the end; only the first 11 count.
int UpcACheckDigit(const QString& codeText);

// What a text encodes as. Only a trimmed text of exactly 11 characters
// "0".."9" gets a symbol; any other fails with "Code is not 11 Digits",
// which the box shows in its picture.
struct UpcASymbol {
    int check = 0;   // computed for every text
    QString digits;  // the 11 digits and the check digit; empty without a symbol
    // Left to right: guard, left digits, guard, right digits, guard, each
    // table entry's elements as they stand (a space ending one entry and a
    // space starting the next stay two elements: each is drawn on its own).
    Elements elements;
    core::Status status;
};
UpcASymbol EncodeUpcA(const QString& text);

struct UpcAElement {
    int x = 0;      // first line, twips
    int lines = 0;  // 15n + 1 for n modules
    bool bar = false;
};

// Where the elements go, from the left guard at 250 twips.
std::vector<UpcAElement> UpcALayout(const Elements& elements);

// Lays the symbol out in the box (twips scale) with its 12 digits under it
// when `includeText`, or prints only the failure's text for a text without
// a symbol; then keeps the drawing as the box's picture.
void DrawUpcA(graphics::Surface& box, const UpcASymbol& symbol, bool includeText);

} // namespace symbols
