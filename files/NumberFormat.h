// Numbers as a spreadsheet shows them, from a number format code as .xlsx
// files store them and spreadsheet programs write them ("00000",
// "#,##0.00", "0%", "\"SKU-\"0000", "0.00E+00"): zeros that lead, decimals,
// grouping, per cent, scientific notation, literal text, colours, and the
// sections for negative numbers, zero and text. Digits are grouped with ","
// and decimals follow ".", as the code writes them.
//
// Dates and times are not shown in their format's words but as ISO dates
// and times (2024-03-05, 14:30, 2024-03-05 14:30:15): a label reads the same
// on every machine, and the format says only which of the parts it shows.
//
// Codes with parts a label can't show faithfully (fractions, conditions,
// other calendars) are refused rather than shown some other way.
#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringView>

namespace files {

// Where serial day numbers count from: 1900 (with the leap day 1900-02-29
// that the first spreadsheets counted) or 1904.
enum class DateSystem { From1900, From1904 };

// The code of a built-in format number of .xlsx files; empty for a number
// that has none (the file then defines it).
QString BuiltinNumberFormat(int id);

// The text of a number under the code. A failure's text says, in a
// clause, which part of the code can't be shown.
core::Result<QString> FormatNumber(double value, QStringView code, DateSystem dates = DateSystem::From1900);

// The text of a text cell under the code: its text section, if it has
// one, with "@" for the text.
QString FormatText(const QString& text, QStringView code);

// A number without a format, as "General" shows it: up to 15 significant
// digits, no trailing zeros, scientific only when very large or small.
QString GeneralNumber(double value);

} // namespace files
