#include "output/RangePrint.h"

#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Numeric.h"
#include "platform/Termination.h"

#include <chrono>
#include <thread>

namespace output {

std::optional<RangeBounds> ReadRange(const QString& fromText, const QString& toText)
{
    const auto from = platform::ParseNumber(fromText);
    const auto to = platform::ParseNumber(toText);
    if (!from || !to)
        return std::nullopt;
    return RangeBounds{*from, *to};
}

QString LabelText(const QString& prefix, const QString& fromText) { return prefix + fromText; }

QString NextFrom(double from) { return platform::FormatNumber(from + 1); }

void Pause(int seconds)
{
    platform::Clock& clock = platform::CurrentClock();
    const double start = clock.Seconds();
    while (clock.Seconds() - start < seconds && !platform::TerminationRequested()) {
        platform::DoEvents();
        // A short rest between rounds keeps the wait from taking a whole core.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace output
