// `quorvane print-range` and a PDF of label sheets from
// `quorvane export --batch ... --layout NAME`.
#pragma once

#include "cli/CommandLine.h"

namespace cli {

// `quorvane print-range`: true when every label printed (and, when asked
// to wait, every CUPS job printed). Everything said goes to the message sink.
bool PrintRangeUnattended(const Command& command);

// `quorvane export --batch LINES --layout NAME --output SHEETS.pdf`: the
// exit status, 0 when the whole file was written.
int ExportSheets(const Command& command);

} // namespace cli
