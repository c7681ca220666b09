// The symbologies the program draws, one row each: everything the program
// knows about a symbology is in its row, and every place that offers,
// names, draws, stores or checks symbologies iterates the rows. A new
// symbology is its encoder and one row.
//
// The table is a value: the built-in one is constant, and a test that
// wants a symbology of its own passes a table with its row added to what
// iterates or looks up rows (each takes the built-in one by default).
#pragma once

#include "symbols/Generate.h"
#include "symbols/ScanCheck.h"
#include "symbols/SymbologyRow.h"

#include <QString>
#include <optional>

namespace symbols {

// The row of a symbology. A symbology the table has no row for is a fault
// of the program, not of what a user did: it stops, naming the symbology's
// number.
const SymbologyRow& RowOf(Symbology symbology, SymbologyTable table = Symbologies());
// The symbology of a command-line name (--type); none for a name no row has.
std::optional<Symbology> SymbologyNamed(const QString& name, SymbologyTable table = Symbologies());

// What a reader should read from the symbol the request draws.
ScanExpectation ExpectedScan(Symbology symbology, const QString& text, SymbologyTable table = Symbologies());
// When the symbol of a text holds another text than was typed (a 0 added,
// a check digit replaced, digits not used), says so in a line that names
// the symbology and both texts; else empty.
QString HoldsOtherText(Symbology symbology, const QString& typed, SymbologyTable table = Symbologies());

} // namespace symbols
