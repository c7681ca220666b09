// Processing pending window events between steps of a long action, so the
// window repaints and answers clicks. Replaceable for tests.
#pragma once

#include <functional>

namespace services {

void DoEvents();

// Installs the function DoEvents runs; an empty function restores Qt's.
void SetEventPump(std::function<void()> pump);

} // namespace services
