// Scaled copy from one picture into another, as the window system's
// stretching copy does in its default black-on-white mode: where several
// source columns fall onto one destination column the darkest wins, so a
// thin black bar is never lost when a drawing is narrowed.
#pragma once

#include <QImage>

namespace platform {

// Scales the columns [0, sourceWidth) of `source` horizontally by
// destUnits / sourceUnits into `dest`, starting at its top-left corner; rows
// are copied 1:1 as far as both images reach. Destination column x takes the
// source columns from x * sourceUnits / destUnits up to (not including)
// (x + 1) * sourceUnits / destUnits, at least one; per colour channel the
// darkest of them. So copying 800 columns with the units 500 / 800 gives the
// same 500 columns whatever lies right of them. Columns of `dest` right of
// the copy keep what they hold. Returns how many destination columns were
// written. Both images must be 32-bit RGB; any unit not above zero copies
// nothing.
int StretchColumns(const QImage& source, int sourceWidth, QImage& dest, int destUnits, int sourceUnits);

} // namespace platform
