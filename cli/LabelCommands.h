// The commands of label files: `quorvane label --check`, `quorvane export
// --label` and `quorvane print --label` (print-range --label goes with
// print-range, in SheetCommands).
#pragma once

#include "cli/CommandLine.h"
#include "jobs/PrintJobs.h"
#include "printing/LabelPrint.h"

namespace cli {

// Writes the text and a line end to stdout: 0 when all of it got there (a
// run whose answer did not get there did not do what was asked), else 1.
int SayOnStdout(const QString& text);

// The label file of --label, its dates today's and its barcodes read back
// with --verify: what every command that prints or writes a label file's
// labels starts from.
core::Result<printing::LabelParts> LoadCommandLabel(const Command& command);

// `quorvane label --check LABEL.json`: what the file holds on stdout and
// 0, or its one failure on stderr and 1.
int CheckLabel(const Command& command);

// `quorvane export --label LABEL.json --output FILE`: the label, ${n} as
// 1, laid out at --dpi for a PNG (300 for SVG and PDF) and written whole.
// The exit status: 0 when the file was written.
int ExportLabel(const Command& command);

// `quorvane print --label LABEL.json`: the one label, ${n} as 1, on the
// printer; on a sheet layout, in the start cell. True when it printed.
bool PrintLabelUnattended(const Command& command, const jobs::Unattended& run);

} // namespace cli
