// The window's status line as a CUPS test waits on it: the window follows
// its jobs on its own timers, so the test pumps the window's events until
// the line says what the test waits for.
#pragma once

#include "tests/support/WaitUntil.h"
#include "tests/support/Window.h"

#include <QApplication>

namespace testsupport {

// The whole text of the line (the label itself may elide it).
inline QString StatusLine(const ui::Form1& form) { return Label(form, "JobStatus")->toolTip(); }

inline bool StatusSays(const ui::Form1& form, const QString& what, int timeoutMs = 20000)
{
    return WaitUntil(
        [&] {
            QApplication::processEvents();
            return StatusLine(form).contains(what);
        },
        timeoutMs, 50);
}

} // namespace testsupport
