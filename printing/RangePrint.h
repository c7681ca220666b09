// Range printing: the numbers of a run of labels, and the pause between
// the steps of a label.
#pragma once

#include "services/Clock.h"
#include "services/EventPump.h"

#include <QString>
#include <limits>
#include <optional>

namespace printing {

inline const QString kRangeNotNumeric = QStringLiteral("From and To must be numbers");

// A run counts in whole numbers of 64 bits: from From up to To, To not
// included.
struct RangeBounds {
    qint64 from = 0;
    qint64 to = 0;
    bool HasNext() const { return from < to; }
    // Whether adding one to From still is a number: below To it always is.
    bool CanStep() const { return from < std::numeric_limits<qint64>::max(); }
};

// From and To as numbers; nothing when either is not a plain whole number
// (RangeFieldProblem says why).
std::optional<RangeBounds> ReadRange(const QString& fromText, const QString& toText);

// A plain whole number: digits, with a minus sign before them for one
// below zero; nothing else, not even a blank. None when the text is not
// one, or one beyond 64 bits.
std::optional<qint64> PlainWholeNumber(const QString& text);

// Why the text of a field of a range (`field`: "--from", "From") can't be
// counted from, in a sentence that names the field; empty when it can.
QString RangeFieldProblem(const QString& field, const QString& text);
// The first of From's and To's problems, each field named as the caller
// calls it; empty when both can be counted.
QString RangeProblem(const QString& fromText, const QString& toText, const QString& fromField, const QString& toField);
// A range that holds no label, said with the fields' names; empty when it
// holds one.
QString EmptyRange(const RangeBounds& range, const QString& fromField, const QString& toField);

// The label: the prefix followed directly by From exactly as typed.
QString LabelText(const QString& prefix, const QString& fromText);

// The From that follows: the number plus one, in its shortest plain form;
// with the width of `typed` when it is digits with leading zeros, as a
// user types a serial number ("007" is followed by "008", "099" by "100").
// From must be below the largest number: it is below To.
QString NextFrom(qint64 from, const QString& typed = {});

// Runs the pump until the given whole number of seconds has passed on the
// clock, or until a stop is requested: a stopped run should not sit out its
// pauses.
void Pause(int seconds, services::Clock& clock, const services::EventPump& pump);

} // namespace printing
