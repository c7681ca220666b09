// Runs of labels without the window: the labels of a number range and of
// a file, and the list of layouts.
#pragma once
#include "printing/SheetPrint.h"
#include "symbols/Generate.h"
#include <memory>

namespace jobs {

// Every layout, one a line, for `quorvane layouts`.
QString LayoutList();

// The labels PREFIX+N for N from `from` up to, not including, `to` (as
// Run It counts them), each with its barcode. Nothing when From and To
// are not numbers.
printing::NextLabel RangeLabels(const QString& prefix, const QString& from, const QString& to,
                              const printing::BarcodeMaker& barcodeFor);

// The labels of a file: one for every line that holds a code, as a
// listing finds them (`pattern`, `keepPattern`). A file that can't be
// opened gives no labels and its reason in `*error`; one that can't be
// read on the way stops the labels (SheetLabel::stop) and nothing prints.
printing::NextLabel FileLabels(const QString& path, const QString& pattern, bool keepPattern,
                             const printing::BarcodeMaker& barcodeFor, std::shared_ptr<QString> error);

} // namespace jobs
