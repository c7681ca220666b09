// Printing without the window: the barcodes of a listing and of a run of
// labels come from Generate without a window, with the options given as a
// value. The window only shows what is going on; an unattended run creates
// no widget at all.
#pragma once

#include "app/Generate.h"
#include "output/BatchPrint.h"

namespace app {

// The barcode a listing prints under a code line: the request's symbology
// and sizes with the code as its text. Shows nothing: the listing tells
// of a failure with the line it belongs to.
output::Barcode ListingBarcode(const SymbolRequest& options, const QString& code);

// `quorvane FILE` and `quorvane print FILE [--printer NAME]`: prints the
// file as a listing with the stored options, on the printer named (empty:
// the stored choice), the file's path stored as the window's File Path is.
// True when every line printed as asked. Everything said goes through the
// message sink (stderr in an unattended run).
// `strict`: a code whose barcode would hold another text than the code
// (a 0 added, a check digit replaced) gets no barcode and fails the run;
// without it such a line is named on stderr.
bool PrintFileUnattended(const QString& path, const QString& printerName, bool strict = false);

} // namespace app
