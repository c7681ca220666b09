// `quorvane export`: barcodes saved as files from the command line, one
// of a text or one per line of a file, each checked and written whole.
#pragma once

#include "cli/CommandLine.h"
#include "files/Export.h"
#include "printing/BatchPrint.h"
#include "symbols/Generate.h"
#include "symbols/SymbolFile.h"

namespace cli {

// The request an export makes of a text: the symbology's natural size
// (Text9 "800"), the design's height and font size, the text below when
// asked, and the symbology's own option as given.
symbols::SymbolRequest ExportRequest(const Command& command, const QString& text);

// The barcode a label of an export (a label language's file, a PDF of
// sheets) gets for `code`: drawn with ExportRequest, read back with
// --verify, refused with --strict when it would hold another text; what
// went wrong is the barcode's status.
printing::Barcode ExportBarcode(const Command& command, const QString& code);

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
