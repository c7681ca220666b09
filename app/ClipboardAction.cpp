#include "app/Form1.h"

namespace app {

void Form1::Command9_Click() {}

} // namespace app
