// The path of the file that batch printing prints. It always mirrors the
// main window's path box: every change of that box writes it, and the file
// chooser and the command line set it only through the box.
#pragma once

#include <QString>

namespace output {

extern QString PrintFilePath;

} // namespace output
