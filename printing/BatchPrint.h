// Batch printing: a text file printed as a listing on the current printer,
// every line as text and every code line followed by its barcode.
#pragma once

#include "core/Failure.h"
#include "printing/Printers.h"

#include <QString>
#include <functional>
#include <optional>

namespace printing {

inline const QString kSelectAFile = QStringLiteral("Please Select a File to Print");

// Removes leading and trailing blanks; only the space counts as a blank
// here (a tab is an ordinary character).
QString TrimBlanks(const QString& text);

// The code a line carries, or nothing when it is not a code line. A code
// line starts, after its blanks are trimmed, with the pattern (letter case
// counts; an empty pattern matches every line). The code is the rest of
// the trimmed line, trimmed again, or the whole trimmed line when
// keepPattern is set.
std::optional<QString> CodeOfLine(const QString& line, const QString& pattern, bool keepPattern);

struct BatchOptions {
    QString path;        // used as given, blanks included
    QString pattern;     // the line pattern
    bool keepPattern = false;
};

// The barcode of one code: the drawing to print under it, and why it is
// not the code's barcode when it isn't.
struct Barcode {
    graphics::Drawing drawing;
    core::MaybeFailure failure;
    QString note; // the barcode holds another text than the code: told with its line where only a log shows it
};
using BarcodeMaker = std::function<Barcode(const QString& code)>;

// What became of a listing.
struct ListingResult {
    bool sent = false;           // the job went to the printer
    qint64 linesNotAsAsked = 0;  // code lines without their barcode, lines cut at the limit
    bool AllAsAsked() const { return sent && linesNotAsAsked == 0; }
    explicit operator bool() const { return AllAsAsked(); }
};

// The codes of a listing's own failures. A barcode's failure keeps its own
// code, a barcode holding another text than its code is
// core::kNotAsTyped, and a printer that fails core::kPrintFailed.
struct ListingCode {
    enum : int { CannotOpen = 3301, Stopped, CannotRead, LinesCut };
};

// Something a listing tells: a failure with its code and its text as the
// user reads it. One marked logOnly is for a log alone (stderr in an
// unattended run), never a box: a barcode whose picture shows its failure
// by itself (UPC's message), or a barcode that holds another text than its
// code.
struct ListingMessage {
    core::Failure failure;
    bool logOnly = false;
};

// Hears what a listing tells, in the order it happens, while it prints: the
// caller decides how to show it (and whether a stop asked for meanwhile
// changes that).
using ListingTold = std::function<void(const ListingMessage&)>;

// Called after every line printed, with the number of lines printed so far.
using LinePrinted = std::function<void(qint64 lines)>;

// Prints the file as one job on the printer; shows nothing itself, and
// tells `told` of every problem. Problems (a file that can't be opened or
// read, a failing printer) name the file or printer and the reason;
// nothing of a file that can't be opened is printed. A line longer than
// the reader's limit prints its start and no barcode, and is named after
// the job went out. A barcode that failed is counted and told with the
// file and line it comes from ("FILE:LINE: " before the failure's own
// text); one whose picture shows the failure by itself (UPC's message) is
// told for the log only.
// A stop request (services::TerminationRequested) drops the job at the
// next line.
ListingResult PrintListing(const BatchOptions& options, Printer& printer, const BarcodeMaker& barcodeFor,
                           const ListingTold& told = {}, const LinePrinted& linePrinted = {});

} // namespace printing
