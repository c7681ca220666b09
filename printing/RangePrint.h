// Range printing: the numbers of a run of labels, and the pause between
// the steps of a label.
#pragma once

#include "services/Clock.h"
#include "services/EventPump.h"

#include <QString>
#include <optional>

namespace printing {

inline const QString kRangeNotNumeric = QStringLiteral("From and To must be numbers");
inline const QString kRangeTooLarge =
    QStringLiteral("From is too large a number to count up by one; no more labels are printed.");

struct RangeBounds {
    double from = 0;
    double to = 0;
    bool HasNext() const { return from < to; }
    // Whether adding one changes From: beyond 2^53 it does not, and the run
    // would print the same label for ever.
    bool CanStep() const { return from + 1 != from; }
};

// From and To as numbers; nothing when either is not numeric.
std::optional<RangeBounds> ReadRange(const QString& fromText, const QString& toText);

// The label: the prefix followed directly by From exactly as typed.
QString LabelText(const QString& prefix, const QString& fromText);

// The From that follows: the number plus one, in its shortest plain form;
// with the width of `typed` when it is digits with leading zeros, as a
// user types a serial number ("007" is followed by "008", "099" by "100").
QString NextFrom(double from, const QString& typed = {});

// Runs the pump until the given whole number of seconds has passed on the
// clock, or until a stop is requested: a stopped run should not sit out its
// pauses.
void Pause(int seconds, services::Clock& clock, const services::EventPump& pump);

} // namespace printing
