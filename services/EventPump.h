// Processing pending window events between steps of a long action, so the
// window repaints and answers clicks. What runs long is given a pump (the
// window's processes Qt's events; a test's does nothing).
#pragma once

#include <functional>

namespace services {

using EventPump = std::function<void()>;

// Processes Qt's pending events, when there is an application.
void DoEvents();

// Runs the pump, when there is one.
inline void Pump(const EventPump& pump)
{
    if (pump)
        pump();
}

} // namespace services
