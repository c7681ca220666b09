// Printing without the window: the barcodes of a listing and of a run of
// labels come from Generate without a window, with the options given as a
// value. The window only shows what is going on; an unattended run creates
// no widget at all.
#pragma once

#include "printing/BatchPrint.h"
#include "symbols/Generate.h"

#include <optional>

namespace jobs {

// The barcode a listing prints under a code line: the request's symbology
// and sizes with the code as its text. Shows nothing: the listing tells
// of a failure with the line it belongs to.
printing::Barcode ListingBarcode(const symbols::SymbolRequest& options, const QString& code);

// Shows what a listing tells as the user has always seen it: a message
// (a box in the window, stderr in an unattended run), or for the log only.
void ShowListingMessage(const printing::ListingMessage& message);

// How an unattended run prints.
struct UnattendedPrint {
    QString printer; // a name or a queue URI; empty: the stored choice
    // A code whose barcode would hold another text than the code (a 0
    // added, a check digit replaced) gets no barcode and fails the run;
    // without it such a line is named on stderr.
    bool strict = false;
    // A CUPS job is followed up to this many seconds, and the run fails
    // unless it printed; without waiting the run ends once CUPS took it.
    bool wait = true;
    int waitSeconds = 120;
};

// `quorvane FILE` and `quorvane print FILE [--printer NAME]`: prints the
// file as a listing with the stored options, on the printer named (empty:
// the stored choice), the file's path stored as the window's File Path is.
// True when every line printed as asked. Everything said goes through the
// message sink (stderr in an unattended run).
bool PrintFileUnattended(const QString& path, const UnattendedPrint& how);

// The printer an unattended run prints on: the one named (checked), else
// the stored choice, else the current one. Empty, with the message
// shown, when the name is no printer.
QString UnattendedPrinter(const QString& printerName);

// `quorvane print [FILE] --dry-run`: what would be printed where, as
// lines for stdout (the printer, its page and printable area, the file's
// lines and barcodes); nothing is printed. Nothing, with the message
// shown, when the printer or the file can't be used.
std::optional<QString> DryRun(const QString& path, const QString& printerName);

} // namespace jobs
