// A clock of elapsed seconds that never jumps back (steady). What waits is
// given one, so tests can run timed loops without real waiting.
#pragma once

namespace services {

class Clock {
public:
    virtual ~Clock() = default;
    virtual double Seconds() = 0; // seconds since an arbitrary fixed point
};

// The system's steady clock.
Clock& SteadyClock();

} // namespace services
