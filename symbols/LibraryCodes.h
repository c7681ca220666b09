// The adapter to libzint, which encodes the symbologies whose rows of the
// table name a libzint symbology (Code 128 with automatic code sets, GS1,
// retail EAN/UPC, the 2D codes). The row says which symbology, and how:
// GS1 data, a matrix, a retail code, the option of its own. libzint only
// encodes: it turns a text into modules (a row of bars, or a matrix), and
// the program lays them out itself, so dot snapping, quiet zones, captions
// and exports stay the same for every symbology. libzint's warnings are
// failures too: a symbol that breaks its standard is not drawn.
#pragma once

#include "core/Result.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace symbols {

struct SymbologyRow;

// How the modules are laid out.
enum class ModuleShape {
    Bars,    // a row of bars, the human-readable text under them on request
    Ean13,   // retail: guards down into the digits, the first digit outside on the left
    Ean8,    //         both halves' digits between the guards
    UpcA,    //         the first and last digits outside, their bars as long as the guards
    Matrix,  // rows of modules, each row as high as the encoder says
};

// What a symbology's row says of how libzint encodes it. The option of its
// own (QR's error correction, PDF417's columns, Data Matrix's shape) is the
// row's own option.
struct LibraryCode {
    int zint = 0; // libzint's symbology (BARCODE_...); 0: libzint does not encode it
    ModuleShape shape = ModuleShape::Bars;
    double quietModules = 10; // the quiet zone the symbology needs, in modules
    bool twoD = false;        // a matrix code: text in UTF-8, stated with an ECI where it is not ASCII
    bool stacked = false;     // rows of bars (PDF417), each several modules high
    bool gs1 = false;         // GS1 data, typed with its AIs in brackets
    int retailDigits = 0;     // retail EAN/UPC: the data digits before the check digit
};

// The options a symbology may take; each reads only its own.
struct LibraryOptions {
    char qrEcc = 'M';         // QR Code: L, M, Q or H
    int pdf417Columns = 0;    // PDF417: data columns, 1 to 30; 0 picks them
    bool rectangular = false; // Data Matrix: a rectangular symbol instead of a square one
};

// What an encoder built: rows of modules, dark or light, each row
// `rowHeights[r]` modules high (1 for a matrix; a stacked code's rows are 3).
struct Modules {
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> dark; // rows x width, row by row
    std::vector<int> rowHeights;
    // The human-readable text the symbology prints under its bars (GS1 with
    // its AIs in brackets; EAN/UPC with the check digit).
    QString humanText;

    bool Dark(int x, int row) const { return dark[static_cast<size_t>(row) * width + x] != 0; }
};

// Encodes the text as the symbology's row says (UTF-8 in 2D codes; Latin-1
// in Code 128), naming it by its caption in a failure. GS1 data is typed
// with its AIs in brackets: (01)09501101530003(17)270101(10)AB-123.
core::Result<Modules> EncodeLibraryCode(const SymbologyRow& row, const QString& text, const LibraryOptions& options = {});

// The digits a retail code (EAN-13, EAN-8, UPC-A) holds, its check digit
// included, for a text it takes; none for a text it refuses.
std::optional<QString> RetailDigits(const SymbologyRow& row, const QString& text);

// libzint's message made the program's: without its number, and for GS1
// data naming the AI first ("AI (01): check digit should be 3").
QString LibraryMessage(const QString& zintText);

// What a reader returns for GS1 data typed with bracketed AIs: the AIs and
// their data run together, a group separator (ASCII 29) after every field
// of no fixed length that another field follows.
QString Gs1ElementString(const QString& bracketed);

} // namespace symbols
