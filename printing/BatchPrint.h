// Batch printing: a text file printed as a listing on the current printer,
// every line as text and every code line followed by its barcode.
#pragma once

#include "core/Result.h"
#include "graphics/Drawing.h"
#include "printing/PrintTarget.h"
#include "services/EventPump.h"

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
    // Runs before every line, and while a slow writer of the file is
    // awaited (the window processes its events: its Stop ends the listing).
    services::EventPump pump = {};
};

// The barcode of one code: the drawing to print under it, and why it is
// not the code's barcode when it isn't.
struct Barcode {
    graphics::Drawing drawing;
    core::Status status;
    QString note; // the barcode holds another text than the code: told with its line where only a log shows it
};
using BarcodeMaker = std::function<Barcode(const QString& code)>;

// A listing that went to the printer.
struct Listing {
    JobDone done;
    qint64 linesNotAsAsked = 0; // code lines without their barcode, lines cut at the limit
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

// Prints the file as one job on the printer and shows nothing itself. What
// went wrong with lines is told to `told` as it happens: a barcode that
// failed is counted and told with the file and line it comes from
// ("FILE:LINE: " before the failure's own text; one whose picture shows the
// failure by itself, UPC's message, for the log only), and a line longer
// than the reader's limit prints its start and no barcode, and is named
// after the job went out. Why nothing was sent comes back: a file that
// can't be opened or read, a failing printer (each named with the reason),
// or a stop request (services::TerminationRequested), which drops the job
// at the next line.
core::Result<Listing> PrintListing(const BatchOptions& options, PrintTarget& printer, const BarcodeMaker& barcodeFor,
                                   const ListingTold& told = {}, const LinePrinted& linePrinted = {});

} // namespace printing
