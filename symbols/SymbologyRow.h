// One row of the symbology table: everything the program knows about a
// symbology, from its command-line name and option button to the surface
// it draws on, its encoder and how a reader reads it back. The rows
// themselves, and the look-ups in them, are in SymbologyTable.*.
#pragma once

#include "symbols/LeftOut.h"
#include "symbols/LibraryCodes.h"
#include "symbols/Symbology.h"

#include <QString>
#include <span>

namespace graphics {
class Surface;
}

namespace symbols {

struct EncodedPattern;
struct Generated;
struct ScanExpectation;
struct SymbolRequest;

// The surfaces Generate draws on, named by what they draw. The window
// shows each in a picture box of its own.
enum class SurfaceId {
    Code39,  // Code 39 and Code 128 B
    Pattern, // the bar-pattern renderer's symbols: Code 128-1, Code 2/5 and Codabar
    UpcA,    // UPC
    Ean,     // EAN
    Library, // the symbologies libzint encodes
};

// An option button of the window's "Bar Code Type" frame: its control
// name, the settings key that stores whether it is selected (with the
// value a store without the key gives), and where it sits in the frame,
// in twips.
struct OptionButton {
    const char* control = nullptr; // none: the window offers no button for the symbology
    const char* key = nullptr;
    const char* defaultValue = nullptr;
    int left = 0, top = 0, width = 0, height = 0;
};

// The one option of its own a symbology takes, beside the sizes.
enum class OwnOption {
    None,
    QrEcc,         // error correction L, M, Q or H (--ecc)
    Pdf417Columns, // data columns (--columns)
    Rectangular,   // a rectangular symbol (--rectangular)
};

struct SymbologyRow {
    Symbology symbology;
    const char* name;    // on the command line (--type)
    const char* caption; // as the window and the help name it
    OptionButton option = {}; // none: the window offers no button for it
    SurfaceId surface;
    // Printing and the clipboard take the surface's current drawing, not
    // the snapshot Generate leaves (the symbol's surface shows on its own).
    bool printFromSurface = false;
    // The largest height factor whose bars a page still holds (none: the
    // symbology's height does not follow the factor).
    double maxHeightFactor = 0;
    // Its "Height" box (Text8) holds the font size and its "Font Size" box
    // (Text3) the bar length (EAN).
    bool sizeBoxesSwapped = false;
    // Draws the request on the row's surface, which the caller has cleared;
    // nothing is shown.
    Generated (*draw)(const SymbologyRow& row, const SymbolRequest& request, graphics::Surface& surface) = nullptr;
    // What a reader should read from the symbol of a text, and as which
    // format; no format when the text draws no symbol.
    ScanExpectation (*expectedScan)(const SymbologyRow& row, const QString& text) = nullptr;
    // The window offers it in its "More:" box (the option buttons are the
    // design's; Codabar, which has none, is offered there too).
    bool inMoreBox = false;
    OwnOption ownOption = OwnOption::None;
    // The bar-pattern renderer's encoder of the symbology (see
    // BarPattern.h); none for a symbology the renderer does not draw.
    EncodedPattern (*pattern)(QString& text) = nullptr;
    // The characters its drawer leaves out of the bars, or draws as start
    // and stop characters; none for a drawer that encodes every character
    // or refuses the text itself.
    CharacterRule leavesOut = {};
    // How libzint encodes it and its modules are laid out; none (zint 0)
    // for a symbology the program encodes itself.
    LibraryCode library = {};
    // A remark the manual page makes after its name in the list of --type
    // names. Rows next to each other with the same remark share it: it is
    // made once, after the last of them.
    const char* manualNote = nullptr;
};

// A table of symbologies, a row each: the built-in one, or (in a test) one
// with a row of its own added.
using SymbologyTable = std::span<const SymbologyRow>;

// The built-in table, in the order the settings restore the option
// buttons (when more than one stored option is true, the last wins).
SymbologyTable Symbologies();

} // namespace symbols
