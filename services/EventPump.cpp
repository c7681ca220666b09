#include "services/EventPump.h"

#include <QCoreApplication>

namespace services {

void DoEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace services
