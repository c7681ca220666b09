#include "services/EventPump.h"

#include <QCoreApplication>

namespace services {
namespace {
std::function<void()> g_pump;
}

void DoEvents()
{
    if (g_pump)
        g_pump();
    else if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void SetEventPump(std::function<void()> pump) { g_pump = std::move(pump); }

} // namespace services
