// Saving barcodes as files, from the window's "Save Bar Code As..." and
// from the command line's export: the symbol drawn without a window, cut
// to what was drawn, checked that it scans when asked, and written whole.
#pragma once

#include "app/CommandLine.h"
#include "app/Generate.h"
#include "output/Export.h"

namespace app {

// The drawing of a request as a file holds it, or why there is none: a
// text the symbology can't draw, or (when `verify`) a symbol that does not
// read back as the text.
struct SymbolFile {
    platform::Drawing drawing;
    platform::MaybeFailure failure;
    QString note; // the symbol holds another text than was typed, and why; empty when not
};
// `strict`: a symbol that would hold another text than was typed is a
// failure too.
SymbolFile DrawForFile(const SymbolRequest& request, bool verify, bool strict = false);

// The request an export makes of a text: the symbology's natural size
// (Text9 "800"), the design's height and font size, the text below when
// asked, and the symbology's own option as given.
SymbolRequest ExportRequest(const Command& command, const QString& text);

// A file name for a barcode's text, for Save As to suggest: the text with
// the characters no file name takes (and control characters) made "_",
// at most 60 characters, "barcode" for a text that leaves nothing.
QString SuggestedFileName(const QString& text);
// The path with the extension of the type picked in the dialog's filter
// ("... (*.svg)") added, unless it already ends in one an export writes.
QString WithExtensionOf(const QString& path, const QString& filter);

// Carries out `quorvane export ...`: writes the file (or one per line),
// tells every problem on stderr, and returns the exit status: 0 when every
// file was written as asked, 1 otherwise.
int RunExport(const Command& command);

} // namespace app
