#include "core/RunTimeError.h"

namespace core {

QString RunTimeErrorDescription(RunTimeError e)
{
    switch (e) {
    case RunTimeError::Overflow: return QStringLiteral("Overflow");
    case RunTimeError::SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case RunTimeError::TypeMismatch: return QStringLiteral("Type mismatch");
    }
    return {};
}

QString RunTimeErrorMessage(RunTimeError e)
{
    return QString::number(static_cast<int>(e)) + QLatin1Char('\n') + RunTimeErrorDescription(e);
}

Failure RunTimeFailure(RunTimeError e) { return Failure{static_cast<int>(e), RunTimeErrorMessage(e)}; }

} // namespace core
