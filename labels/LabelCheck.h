// Checking a label before it prints: every barcode part read back as a
// scanner would read it, and what a label file holds told in lines a
// person reads (`quorvane label --check`).
#pragma once

#include "core/Result.h"
#include "labels/Label.h"
#include "labels/LabelLayout.h"

#include <QStringList>

namespace labels {

// Reads every barcode part of the laid-out label back (see
// symbols::ScanCheck); the first that does not read as its text fails,
// naming the part and what was read. `label` is the label it was laid out
// from. A part the reader can't check (a short form) passes.
core::Status ScanLabel(const LaidOutLabel& laid, const Label& label);

// The label and its parts, a line each: its size, then every part's
// number, kind, place and what it shows ("3 text at 5, 28 mm: \"Best
// before ${date+30:dd.MM.yyyy}\", DejaVu Sans 12 pt bold").
QStringList DescribeLabel(const Label& label);

} // namespace labels
