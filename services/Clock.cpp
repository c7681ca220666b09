#include "services/Clock.h"

#include <chrono>

namespace services {
namespace {

class SteadyClock : public Clock {
public:
    double Seconds() override
    {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    }
};

SteadyClock g_steady;
Clock* g_clock = &g_steady;

} // namespace

Clock& CurrentClock() { return *g_clock; }

Clock* SetClock(Clock* clock)
{
    Clock* previous = g_clock;
    g_clock = clock ? clock : &g_steady;
    return previous;
}

} // namespace services
