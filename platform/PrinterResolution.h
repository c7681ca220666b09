// A system printer's own resolution, as its driver states it: the dots a
// printed page is made of. Qt prints to a CUPS queue at 1200 dpi whatever
// the printer is, and a label printer of 203 dpi would then get modules of
// uneven numbers of dots.
#pragma once

#include <QString>
#include <optional>

namespace platform {

// Dots per inch of the named printer, or nothing when it can't be learnt.
std::optional<int> PrinterResolution(const QString& deviceName);

} // namespace platform
