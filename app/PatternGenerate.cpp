#include "app/Form1.h"

namespace app {

void Form1::GenerateBarPattern(const QString& type)
{
    Q_UNUSED(type);
}

} // namespace app
