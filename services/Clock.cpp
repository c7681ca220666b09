#include "services/Clock.h"

#include <chrono>

namespace services {
namespace {

class Steady : public Clock {
public:
    double Seconds() override
    {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    }
};

} // namespace

Clock& SteadyClock()
{
    static Steady clock; // holds nothing: every call reads the system's clock
    return clock;
}

} // namespace services
