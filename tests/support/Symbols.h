// Drawings of every symbology as Generate makes them, without a window:
// each drawer on a recording surface shaped like the window's picture box
// for it, with the window's default sizes.
#pragma once

#include "symbols/Symbology.h"
#include <QString>
#include "graphics/Drawing.h"

#include <QString>

namespace testsupport {

// The drawing of `text`; empty when the symbology draws nothing for it.
graphics::Drawing DrawSymbol(symbols::Symbology symbology, const QString& text, bool withText);

// The drawing without its n-th filled box that is not white: a bar gone.
graphics::Drawing WithoutBar(const graphics::Drawing& drawing, int n);

} // namespace testsupport
