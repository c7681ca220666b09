// Printing without the window: the barcodes of a listing and of a run of
// labels come from Generate without a window, with the options given as a
// value. The window only shows what is going on; an unattended run creates
// no widget at all.
#pragma once

#include "printing/BatchPrint.h"
#include "printing/Printers.h"
#include "printing/SheetLayout.h"
#include "services/Messages.h"
#include "symbols/Generate.h"

#include <functional>
#include <optional>
#include <vector>

namespace jobs {

// The barcode a listing prints under a code line: the request's symbology
// and sizes with the code as its text. Shows nothing: the listing tells
// of a failure with the line it belongs to.
printing::Barcode ListingBarcode(const symbols::SymbolRequest& options, const QString& code);

// Shows what a listing tells as the user has always seen it: a message
// (a box in the window, stderr in an unattended run), or for the log only.
void ShowListingMessage(const printing::ListingMessage& message, services::MessageSink& messages);

// What an unattended run is given: the printers, where its messages go
// (stderr), and who hears of every PDF file the built-in printer writes
// (the run tells its path on stdout).
struct Unattended {
    printing::Printers printers;
    services::MessageSink& messages;
    std::function<void(const QString& path)> pdfWritten;
};

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
    // The barcodes' size for this run; none: the stored one.
    std::optional<graphics::PrintSize> printSize;
};

// `quorvane FILE` and `quorvane print FILE [--printer NAME]`: prints the
// file as a listing with the stored options, on the printer named (empty:
// the stored choice), the file's path stored as the window's File Path is.
// True when every line printed as asked. Everything said goes to the run's
// messages.
bool PrintFileUnattended(const QString& path, const UnattendedPrint& how, const Unattended& run);

// The printer an unattended run prints on: the one named (checked), else
// the stored choice, else the default one. Empty, with the message shown,
// when the name is no printer, or the stored choice is one no longer
// installed.
QString UnattendedPrinter(const QString& printerName, const Unattended& run);

// The end of a run's jobs: tells of every file the built-in printer wrote,
// then, when asked to wait, follows the CUPS jobs until each has printed.
// False, with the reason shown, for one that did not. What CUPS keeps for
// following them is dropped either way.
bool FinishJobs(const std::vector<printing::JobDone>& jobs, std::optional<int> waitSeconds, const Unattended& run);

// What a dry run says first: the printer it would print on (the one named,
// checked, else the stored choice) and the page that printer has.
struct DryRunPrinter {
    QString name;
    QString lines; // "Printer: NAME", then "Page: ..." where the printer tells its page; each ends a line
};

// The printer a dry run names. Nothing, with the message shown, when there
// is no such printer or it can't be used.
std::optional<DryRunPrinter> DryRunPrinterLines(const QString& printerName, const Unattended& run);

// The line of a dry run on sheets (without its line end): the layout, the
// label it starts at and the sheets `labels` labels take from there.
QString DryRunLayoutLine(const printing::SheetLayout& layout, int start, qint64 labels);

// `quorvane print [FILE] --dry-run`: what would be printed where, as
// lines for stdout (the printer, its page and printable area, the file's
// lines and barcodes); nothing is printed. Nothing, with the message
// shown, when the printer or the file can't be used.
std::optional<QString> DryRun(const QString& path, const QString& printerName, const Unattended& run);

} // namespace jobs
