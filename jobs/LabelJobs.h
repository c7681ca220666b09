// Labels of several parts without the window: a label file made ready to
// print, the label of a Print and the labels of a number range with the
// number in ${n}, and what `quorvane label --check` says of a file.
#pragma once

#include "core/Result.h"
#include "printing/SheetPrint.h"

#include <QDate>
#include <QString>

namespace jobs {

// The label of the file, read, checked and its texts parsed, to print on
// `today`; `verify`: every barcode part is read back before it prints.
core::Result<printing::LabelParts> LoadLabelParts(const QString& path, QDate today, bool verify = false);

// The one label a Print prints, its ${n} filled with `number`. `name` is
// how messages call the label (the file's name).
printing::SheetLabel OneLabel(const printing::LabelParts& parts, const QString& name, qint64 number);

// The labels for N from `from` up to, not including, `to` (as Run It
// counts them), each with N in its ${n}. Nothing when From and To are not
// whole numbers.
printing::NextLabel RangeLabels(const printing::LabelParts& parts, const QString& name, const QString& from,
                                const QString& to);

// `quorvane label --check FILE`: what the file holds, a line each, once it
// is read, laid out for printers of 203 and 300 dpi (${n} as 1, today's
// date) and every barcode part read back; else the one failure that stops
// it, naming the file, the part and the field.
core::Result<QString> CheckLabelFile(const QString& path, QDate today);

} // namespace jobs
