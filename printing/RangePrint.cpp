#include "printing/RangePrint.h"

#include "core/Numeric.h"
#include "services/Clock.h"
#include "services/EventPump.h"
#include "services/Termination.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace printing {

std::optional<RangeBounds> ReadRange(const QString& fromText, const QString& toText)
{
    const auto from = core::ParseNumber(fromText);
    const auto to = core::ParseNumber(toText);
    if (!from || !to)
        return std::nullopt;
    return RangeBounds{*from, *to};
}

QString LabelText(const QString& prefix, const QString& fromText) { return prefix + fromText; }

QString NextFrom(double from, const QString& typed)
{
    const QString next = core::FormatNumber(from + 1);
    const QString digits = typed.trimmed();
    const bool padded = digits.size() > 1 && digits.startsWith(QLatin1Char('0')) &&
                        std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    const bool whole = !next.isEmpty() && std::all_of(next.begin(), next.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return padded && whole ? next.rightJustified(digits.size(), QLatin1Char('0')) : next;
}

void Pause(int seconds, services::Clock& clock, const services::EventPump& pump)
{
    const double start = clock.Seconds();
    while (clock.Seconds() - start < seconds && !services::TerminationRequested()) {
        services::Pump(pump);
        // A short rest between rounds keeps the wait from taking a whole core.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace printing
