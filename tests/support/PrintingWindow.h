// The main window of a printing test: on the test's printers, the built-in
// printer's files kept, the messages recorded, and between the steps of a
// run only what the test runs (a test drives the window itself).
#pragma once

#include "tests/support/PrintSupport.h"
#include "tests/support/Window.h"

namespace testsupport {

inline ui::WindowContext PrintingWindow(PrintingTest& test, services::Clock* clock = nullptr)
{
    ui::WindowContext context;
    context.messages = &test.messages;
    context.printers = &test.printers;
    context.clock = clock;
    context.pump = [&test] {
        if (test.pump)
            test.pump();
    };
    context.jobDone = [&test](const printing::JobDone& done) { test.sandbox.Keep(done); };
    return context;
}

} // namespace testsupport
