// `quorvane print-range` and a PDF of label sheets from
// `quorvane export --batch ... --layout NAME`.
#pragma once

#include "cli/CommandLine.h"
#include "jobs/PrintJobs.h"

namespace cli {

// `quorvane print-range`: true when every label printed (and, when asked
// to wait, every CUPS job printed). Everything said goes to the run's messages.
bool PrintRangeUnattended(const Command& command, const jobs::Unattended& run);

// `quorvane print-range --dry-run`: what the run would print (the printer
// and its page, the labels, the sheets they take), or nothing when it
// could not (said through the run's messages).
std::optional<QString> DryRunRange(const Command& command, const jobs::Unattended& run);

// `quorvane export --batch LINES --layout NAME --output SHEETS.pdf`: the
// exit status, 0 when the whole file was written.
int ExportSheets(const Command& command, services::MessageSink& messages, const printing::Printers& printers);

} // namespace cli
