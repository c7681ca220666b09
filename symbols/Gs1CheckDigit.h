// The mod-10 check digit of the UPC/EAN family, shared by the UPC-A and the
// EAN-13/EAN-8 drawers.
#pragma once

#include <QChar>
#include <span>

namespace symbols {

// 0..9 for the characters "0" to "9"; every other character counts as 0.
int Gs1DigitValue(QChar c);

// Weights 3 and 1 alternate leftwards from the last digit, which weighs 3;
// the check digit tops the weighted sum up to a multiple of ten. Leading
// zeros change nothing, so one routine serves every code length.
int Gs1CheckDigit(std::span<const int> digits);

} // namespace symbols
