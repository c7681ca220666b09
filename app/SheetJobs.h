// Runs of labels without the window: the labels of a number range and of
// a file, `quorvane layouts`, `quorvane print-range`, and a PDF of label
// sheets from `quorvane export --batch ... --layout NAME`.
#pragma once
#include "app/CommandLine.h"
#include "app/Generate.h"
#include "output/SheetPrint.h"
#include <memory>

namespace app {

// Every layout, one a line, for `quorvane layouts`.
QString LayoutList();

// The labels PREFIX+N for N from `from` up to, not including, `to` (as
// Run It counts them), each with its barcode. Nothing when From and To
// are not numbers.
output::NextLabel RangeLabels(const QString& prefix, const QString& from, const QString& to,
                              const output::BarcodeMaker& barcodeFor);

// The labels of a file: one for every line that holds a code, as a
// listing finds them (`pattern`, `keepPattern`). A file that can't be
// opened gives no labels and its reason in `*error`; one that can't be
// read on the way stops the labels (SheetLabel::stop) and nothing prints.
output::NextLabel FileLabels(const QString& path, const QString& pattern, bool keepPattern,
                             const output::BarcodeMaker& barcodeFor, std::shared_ptr<QString> error);

// `quorvane print-range`: true when every label printed (and, when asked
// to wait, every CUPS job printed). Everything said goes to the message sink.
bool PrintRangeUnattended(const Command& command);

// `quorvane export --batch LINES --layout NAME --output SHEETS.pdf`: the
// exit status, 0 when the whole file was written.
int ExportSheets(const Command& command);

} // namespace app
