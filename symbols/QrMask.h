// The choice of a QR Code's mask: of the eight masks, the one whose symbol
// scores lowest by the standard's penalty rules (runs, blocks, finder-like
// patterns, balance of dark and light). libzint scores them too, at most of
// the time it takes to encode a symbol; this scores the symbol libzint
// encoded with mask 0, the data modules unmasked and masked again in turn.
#pragma once

#include <cstdint>
#include <vector>

namespace symbols {

struct QrMasked {
    int mask = 0;              // 0 to 7
    std::vector<uint8_t> dark; // the symbol with that mask and its format information
};

// The modules of a QR Code encoded with mask 0 (width x width, row by row,
// 1 dark), and its error correction level (1 L, 2 M, 3 Q, 4 H): the symbol
// with the mask the penalty rules choose (the first of equal scores).
QrMasked BestQrMask(const std::vector<uint8_t>& maskedWith0, int width, int eccLevel);

} // namespace symbols
