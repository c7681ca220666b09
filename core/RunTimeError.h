// The run-time errors that drawers trap and report as "number, line break,
// description". One table, so every drawer shows the same texts.
#pragma once

#include "core/Result.h"

#include <QString>

namespace core {

enum class RunTimeError { Overflow = 6, SubscriptOutOfRange = 9, TypeMismatch = 13 };

QString RunTimeErrorDescription(RunTimeError e);

// "9\nSubscript out of range"
QString RunTimeErrorMessage(RunTimeError e);

// The error as a failure: its number and that message.
Failure RunTimeFailure(RunTimeError e);

} // namespace core
