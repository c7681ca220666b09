#include "app/Form1.h"

namespace app {

void Form1::FillPrinterList() {}
void Form1::Command2_Click() {}
void Form1::Command3_Click() { FileOpen_Click(); }
void Form1::Command4_Click() {}
void Form1::Command8_Click() {}

} // namespace app
