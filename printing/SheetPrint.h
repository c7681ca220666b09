// Labels on sheets: the barcodes of a run put one in a cell, row by row
// and sheet after sheet, at the offsets from the cell's corner, as one job;
// a label of several parts goes with its corner at the cell's corner.
#pragma once
#include "printing/BatchPrint.h"
#include "printing/LabelPrint.h"
#include "printing/PrintTarget.h"
#include "printing/SheetLayout.h"
#include <functional>
#include <optional>

namespace printing {

struct SheetPlacement {
    SheetLayout layout;
    int start = 1;       // the first sheet's first free label (1 is its first)
    double leftCm = 0;   // the barcode's offset from its cell's left edge
    double topCm = 0;    // ... and from its top edge
};

struct SheetLabel {
    QString text; // what the label says, for messages
    Barcode barcode;
    // Why the labels can't go on (their file can't be read), when they
    // can't: nothing is printed.
    core::Status stop;
    // A label file's label, printed instead of the barcode (the offsets
    // are the barcode's: the label places its parts itself).
    std::optional<LabelParts> parts = {};
};
// The next label of the run; nothing at its end.
using NextLabel = std::function<std::optional<SheetLabel>()>;

// Labels sent on sheets.
struct SheetsPrinted {
    qint64 printed = 0; // 0: there were no labels, and nothing was sent
    JobDone done;
};

// Prints the labels as one job on the printer, on sheets of the layout's
// page. Nothing is sent when the layout or the start position can't be
// used, a label has no barcode or runs past its cell (a label of several
// parts: can't be laid out, or is larger than the cell), the printer fails,
// or a stop is requested (services::TerminationRequested: kStopped); the
// failure says why. A run without labels sends nothing either.
core::Result<SheetsPrinted> PrintOnSheets(PrintTarget& printer, const SheetPlacement& placement, const NextLabel& next,
                                          const LinePrinted& labelPrinted = {});

// The largest module, in mm, a whole number of the printer's dots, at
// which the drawing is no larger than `room` (the printer's scale units,
// cm on sheets); none when not even one dot fits.
class Printer;
std::optional<double> LargestModuleMm(Printer& printer, const graphics::Drawing& drawing, QSizeF room);

// The labels of a Print with a sheet layout: the one barcode in the start
// cell, or in every cell from there to the end of the sheet (`repeat`).
NextLabel SameLabel(const SheetLabel& label, const SheetPlacement& placement, bool repeat);

} // namespace printing
