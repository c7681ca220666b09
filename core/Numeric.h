// Reading numbers out of text boxes. A text is numeric when the user's
// locale parses it: blanks around, an optional sign, digits with the
// locale's decimal and grouping separators, an optional exponent.
#pragma once

#include <QString>
#include <optional>

namespace core {

std::optional<double> ParseNumber(const QString& text);

inline bool IsNumeric(const QString& text) { return ParseNumber(text).has_value(); }

// The number of a numeric text, or the fallback for any other text.
double NumberOr(const QString& text, double fallback);

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double v);

// Shortest plain decimal form of a number in the user's locale: no
// exponent, no grouping, no trailing zeros.
QString FormatNumber(double v);

} // namespace core
