// Labels of several parts on a printer: a label file's label laid out for
// the printer's own dots once its page is known, its placeholders filled
// for the label's turn in the run, and placed with its top-left corner
// where a label goes (a cell's corner, the printable area's corner).
#pragma once

#include "core/Result.h"
#include "labels/LabelLayout.h"
#include "printing/PrintTarget.h"

#include <QString>
#include <memory>

namespace printing {

// A label of several parts, printed in place of the one barcode.
struct LabelParts {
    std::shared_ptr<const labels::PreparedLabel> label;
    labels::FillContext fill; // ${n}, the date, ...
    // Every barcode part is read back before the label prints; one that
    // does not scan stops the label (and the run).
    bool verify = false;
    // The label already laid out (and checked) for a device of its dpi,
    // when the run did that before it printed: used as it is on a printer
    // of that grid, so no label is laid out twice.
    std::shared_ptr<const labels::LaidOutLabel> laidOut = {};
};

// The label for a printer whose dots are `dpi`; why not, naming the part.
core::Result<labels::LaidOutLabel> LayOutParts(const LabelParts& parts, double dpi);

// Why the label `name` printed nothing: the failure's reason after the
// label's name, its code and place kept.
core::Failure LabelNotPrinted(const QString& name, const core::Failure& why);

// Prints the laid-out label as one job on the printer's own page, its
// top-left corner at the printable area's corner: what became of the job,
// or why nothing was printed (the printer failed, or the label is larger
// than what the printer prints on).
core::Result<JobDone> PrintLaidOutLabel(PrintTarget& printer, const labels::LaidOutLabel& label);

} // namespace printing
