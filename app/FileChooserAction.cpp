#include "app/Form1.h"

namespace app {

void Form1::FileOpen_Click() {}

} // namespace app
