// The one layout step of the linear symbols drawn as plain bars: elements
// side by side from a left edge, each as wide as its modules at the width
// a bar's or a space's module takes, bars black and (for the symbologies
// that paint them) spaces white, all from one top to one bottom.
#pragma once

#include "graphics/Surface.h"
#include "symbols/Element.h"

#include <QString>

namespace symbols {

struct BarWidths {
    double bar = 1;   // a bar's module, in the surface's units
    double space = 1; // a space's module
};

// Draws the elements and returns where the last one ends.
double LayOutBars(graphics::Surface& surface, const Elements& elements, double left, double top, double bottom,
                  BarWidths widths, bool paintSpaces);

// A pattern of width digits ("2112..."), bars and spaces taking turns from
// a bar, as elements.
Elements ElementsOfPattern(const QString& pattern);

} // namespace symbols
