// `quorvane labels`: a label for every record of a CSV file, a spreadsheet
// or the standard input, on a printer, in a PDF or as PNG files. Every
// record is checked before anything is sent; with a record that fails
// nothing prints unless --skip-bad says to print the others.
#pragma once

#include "cli/CommandLine.h"
#include "jobs/PrintJobs.h"

namespace cli {

// The exit status of a run that printed the good records and skipped the
// bad ones (--skip-bad).
inline constexpr int kSkippedRecords = 2;

// Runs `quorvane labels` (and its --dry-run, whose answer goes to stdout):
// 0 when every label chosen printed (or, dry, would print), 1 when nothing
// printed or a part of the run failed, kSkippedRecords when bad records
// were skipped. Everything else said goes to the run's messages.
int RunLabels(const Command& command, const jobs::Unattended& run);

} // namespace cli
