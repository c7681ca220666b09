// The symbologies a barcode can be drawn in: the six options of the window
// and Codabar, which only the renderer, the exports and the command line
// reach.
#pragma once

namespace symbologies {

enum class Symbology { Code128B, Code39, Code128_1, Code25, Codabar, UpcA, Ean };

} // namespace symbologies
