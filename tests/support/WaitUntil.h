// Waiting in a test for something another process does: the condition is
// looked at again every few milliseconds until it holds or the deadline
// passes. A busy machine makes the wait longer, never wrong; a fixed pause
// would be either too long or, one day, too short.
#pragma once

#include <QDeadlineTimer>
#include <QThread>
#include <functional>

namespace testsupport {

// True once `done` holds, false when it still does not at the deadline.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs, int pollMs = 20)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (done())
            return true;
        QThread::msleep(static_cast<unsigned long>(pollMs));
    }
    return done();
}

} // namespace testsupport
