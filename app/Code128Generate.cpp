#include "app/Form1.h"

namespace app {

bool Form1::RunCode128Engine()
{
    Picture1.Cls();
    return true;
}

} // namespace app
