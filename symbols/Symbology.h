// The symbologies a barcode can be drawn in: the six options of the window,
// Codabar, which only the renderer, the exports and the command line
// reach, and those libzint encodes, which the window offers in its "More:"
// box.
#pragma once

namespace symbols {

enum class Symbology {
    Code128B, Code39, Code128_1, Code25, Codabar, UpcA, Ean,
    Code128, Gs1_128, RetailEan13, RetailEan8, RetailUpcA, Qr, DataMatrix, Gs1DataMatrix, Pdf417, Aztec,
};

} // namespace symbols
