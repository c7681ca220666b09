// A clock of elapsed seconds that never jumps back (steady), replaceable
// so tests can run timed loops without real waiting.
#pragma once

namespace services {

class Clock {
public:
    virtual ~Clock() = default;
    virtual double Seconds() = 0; // seconds since an arbitrary fixed point
};

Clock& CurrentClock();
// Installs a clock; nullptr restores the steady system clock. Returns the previous one.
Clock* SetClock(Clock* clock);

} // namespace services
