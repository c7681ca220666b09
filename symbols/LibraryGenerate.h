// The one layout of encoded modules: a row of bars (with a caption, or in
// the retail EAN/UPC layout with its guards and digits) or a matrix of
// square modules, drawn on a surface at whole pixels per module, with the
// quiet zone each symbology needs recorded in the drawing.
#pragma once

#include "symbols/Generate.h"
#include "symbols/LibraryCodes.h"

namespace symbols {

struct ModuleLayout {
    ModuleShape shape = ModuleShape::Bars;
    int module = 1;        // pixels per module
    int barHeight = 56;    // bars: pixels
    double fontSize = 8;   // the human-readable text, in points
    bool withText = false; // bars: the caption under them
    double quietModules = 10;
};

// Draws the modules on the surface (cleared, in pixel scale, resized to
// hold them). False, with nothing drawn, when the symbol is larger than the
// largest surface.
bool LayOutModules(const Modules& modules, const ModuleLayout& layout, graphics::Surface& surface);

// The layout of a request: the module from the "Width" box for bars (800 is
// one pixel a module, as wide as the design's symbols) and from the
// "Height" factor for a matrix (two pixels a unit); the bars' height from
// the "Height" factor, as Code 39 and Code 128 B take it.
ModuleLayout LayoutFor(ModuleShape shape, const SymbolRequest& request);

// The drawing step of every symbology libzint encodes: encodes the request
// as the row says and lays it out on the surface in the row's shape, with
// its quiet zone.
Generated GenerateLibraryCode(const SymbologyRow& row, const SymbolRequest& request, graphics::Surface& surface);

} // namespace symbols
