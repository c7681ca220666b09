// Range printing: the numbers of a run of labels, and the pause between
// the steps of a label.
#pragma once

#include <QString>
#include <optional>

namespace output {

inline const QString kRangeNotNumeric = QStringLiteral("From and To must be numbers");

struct RangeBounds {
    double from = 0;
    double to = 0;
    bool HasNext() const { return from < to; }
};

// From and To as numbers; nothing when either is not numeric.
std::optional<RangeBounds> ReadRange(const QString& fromText, const QString& toText);

// The label: the prefix followed directly by From exactly as typed.
QString LabelText(const QString& prefix, const QString& fromText);

// The From that follows: the number plus one, in its shortest plain form.
QString NextFrom(double from);

// Processes pending window events until the given whole number of seconds
// has passed on the steady clock.
void Pause(int seconds);

} // namespace output
