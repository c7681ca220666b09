// Interleaved 2 of 5 as a bar pattern: start, the digits in pairs (the
// first digit of a pair in the bars, the second in the spaces), stop; no
// check digit. Wide elements are three modules.
#pragma once

#include "core/RunTimeError.h"

#include <QString>
#include <optional>

namespace symbols {

struct Interleaved25Result {
    // The whole symbol, or on failure the start and every pair before the
    // failing one, without the stop.
    QString pattern;
    core::Status status; // a run-time error where it stopped
};

// The longest text that encodes: one table slot per character.
inline constexpr int kInterleaved25MaxLength = 21;

// A text of even length encodes. A character that is not a digit, a digit
// beyond the 21st character, or an odd length fails with "subscript out of
// range" when its pair is reached (a digit beyond the 21st fails at once).
Interleaved25Result Interleaved25Pattern(const QString& text);

} // namespace symbols
