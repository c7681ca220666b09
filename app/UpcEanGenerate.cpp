#include "app/Form1.h"

namespace app {

void Form1::RunUpcA() {}

void Form1::RunEan() {}

} // namespace app
