// Runs of labels without the window: the labels of a number range and of
// a file, and the list of layouts.
#pragma once
#include "printing/SheetPrint.h"
#include "services/EventPump.h"
#include "symbols/Generate.h"

namespace jobs {

// Every layout, one a line, for `quorvane layouts`.
QString LayoutList();

// The labels PREFIX+N for N from `from` up to, not including, `to` (as
// Run It counts them), each with its barcode. Nothing when From and To
// are not numbers.
printing::NextLabel RangeLabels(const QString& prefix, const QString& from, const QString& to,
                              const printing::BarcodeMaker& barcodeFor);

// The labels of a file: one for every line that holds a code, as a
// listing finds them (`pattern`, `keepPattern`); why not, when the file
// can't be opened. A file that can't be read on the way stops the labels
// (SheetLabel::stop) and nothing prints.
core::Result<printing::NextLabel> FileLabels(const QString& path, const QString& pattern, bool keepPattern,
                                             const printing::BarcodeMaker& barcodeFor,
                                             const services::EventPump& whileWaiting = {});

} // namespace jobs
