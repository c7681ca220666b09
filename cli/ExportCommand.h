// `quorvane export`: barcodes saved as files from the command line, one
// of a text or one per line of a file, each checked and written whole.
#pragma once

#include "cli/CommandLine.h"
#include "files/Export.h"
#include "symbols/Generate.h"
#include "symbols/SymbolFile.h"

namespace cli {

// The request an export makes of a text: the symbology's natural size
// (Text9 "800"), the design's height and font size, the text below when
// asked, and the symbology's own option as given.
symbols::SymbolRequest ExportRequest(const Command& command, const QString& text);

// Carries out `quorvane export ...`: writes the file (or one per line),
// tells every problem on stderr, and returns the exit status: 0 when every
// file was written as asked, 1 otherwise.
int RunExport(const Command& command);

// `quorvane export ... --output LABELS.zpl|.epl|.tspl`: every label of
// --text, --batch or --from/--to drawn at the printer's dots with its
// quiet zones and written in the file's language, one format a label, in
// one file that is whole or absent. The exit status, as RunExport's.
int ExportLabels(const Command& command);

} // namespace cli
