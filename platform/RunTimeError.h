// The run-time errors that drawers trap and report as "number, line break,
// description". One table, so every drawer shows the same texts.
#pragma once

#include <QString>
#include <stdexcept>

namespace platform {

enum class RunTimeError { Overflow = 6, SubscriptOutOfRange = 9, TypeMismatch = 13 };

QString RunTimeErrorDescription(RunTimeError e);

// "9\nSubscript out of range"
QString RunTimeErrorMessage(RunTimeError e);

// Thrown inside a drawer and caught by the same drawer, never across the
// platform boundary.
class RunTimeFault : public std::runtime_error {
public:
    explicit RunTimeFault(RunTimeError e);
    RunTimeError error() const { return error_; }

private:
    RunTimeError error_;
};

} // namespace platform
