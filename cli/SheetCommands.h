// `quorvane print-range` and a PDF of label sheets from
// `quorvane export --batch ... --layout NAME`.
#pragma once

#include "cli/CommandLine.h"
#include "jobs/PrintJobs.h"

namespace cli {

// The start position the command line asks for on the layout (by number
// or by row and column), else `stored`.
core::Result<int> StartOf(const Command& command, const printing::SheetLayout& layout, int stored);

// `quorvane print-range`: true when every label printed (and, when asked
// to wait, every CUPS job printed). Everything said goes to the run's messages.
bool PrintRangeUnattended(const Command& command, const jobs::Unattended& run);

// `quorvane print-range --dry-run`: what the run would print (the printer
// and its page, the labels, the sheets they take), or nothing when it
// could not (said through the run's messages).
std::optional<QString> DryRunRange(const Command& command, const jobs::Unattended& run);

// Writes the labels on sheets to the PDF `output`, whole under its name or
// not at all: the labels written (0: there were none, and nothing was
// written), or why not (a label that can't go on its sheet, the file can't
// be written, a stop: kStopped).
core::Result<qint64> WriteSheetsPdf(const QString& output, const printing::SheetPlacement& placement,
                                    const printing::NextLabel& labels, const printing::Printers& printers);

// `quorvane export --batch LINES --layout NAME --output SHEETS.pdf`: the
// exit status, 0 when the whole file was written.
int ExportSheets(const Command& command, services::MessageSink& messages, const printing::Printers& printers);

} // namespace cli
