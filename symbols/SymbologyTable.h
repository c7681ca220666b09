// The symbologies the program draws, one row each: everything the program
// knows about a symbology is in its row, and every place that offers,
// names, draws, stores or checks symbologies iterates the rows. A new
// symbology is its encoder and one row.
#pragma once

#include "symbols/Generate.h"
#include "symbols/ScanCheck.h"

#include <QString>
#include <optional>
#include <span>

namespace symbols {

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
    OptionButton option;
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
    Generated (*draw)(const SymbolRequest&, GenerateSurfaces&);
    // What a reader should read from the symbol of a text, and as which
    // format; no format when the text draws no symbol.
    ScanExpectation (*expectedScan)(const QString& text);
    // The window offers it in its "More:" box (the option buttons are the
    // design's, and Codabar is offered by neither).
    bool inMoreBox = false;
    OwnOption ownOption = OwnOption::None;
};

// Every row, the built-in ones first in the order the settings restore
// them (when more than one stored option is true, the last wins).
std::span<const SymbologyRow> Symbologies();
// Adds a row after the others. Rows are registered before any window or
// command line reads the table.
void RegisterSymbology(const SymbologyRow& row);
// Takes a registered row out again (a test's symbology after the test).
void UnregisterSymbology(Symbology symbology);

const SymbologyRow& RowOf(Symbology symbology);
std::optional<Symbology> SymbologyNamed(const QString& name);

// What a reader should read from the symbol the request draws.
ScanExpectation ExpectedScan(Symbology symbology, const QString& text);
// When the symbol of a text holds another text than was typed (a 0 added,
// a check digit replaced, digits not used), says so in a line that names
// the symbology and both texts; else empty.
QString HoldsOtherText(Symbology symbology, const QString& typed);

} // namespace symbols
