#include "output/PrintFilePath.h"

namespace output {

QString PrintFilePath;

} // namespace output
