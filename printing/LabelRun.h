// A run of labels, as the window's Run It and `quorvane print-range` print
// it, and as the preview shows it: every label of the run on the printer,
// each in a job of its own ("One label per job", the barcode at the
// offsets of the printable area), or all of them on sheets of a layout in
// one job. The one place a run is printed.
#pragma once

#include "printing/SheetPrint.h"

#include <functional>
#include <optional>
#include <vector>

namespace printing {

// Where the labels of a run go.
struct RunPlacement {
    std::optional<SheetPlacement> sheets; // none: one label per job
    double leftCm = 0;                    // one label per job: the barcode's offsets
    double topCm = 0;
    // Each label this many times: pages of its own job, or cells one after
    // the other on sheets.
    int copies = 1;
};

// The labels of `next`, each given `copies` times in a row.
NextLabel EachLabelTimes(NextLabel next, int copies);

// What the caller hears as the run goes on (all may be empty).
struct RunEvents {
    // One label per job: before a label's job (the window shows the label
    // and pauses), false when the label's job is not to be sent (its
    // offsets were refused); and after the label, printed or not (the
    // window follows the job, pauses and moves From on; `done` is none for
    // a label that was not sent).
    std::function<bool(const SheetLabel& label)> starting;
    std::function<void(const SheetLabel& label, const JobDone* done)> finished;
    // One label per job: a label's job failed. True to go on with the next
    // label (the window, once its message is closed), false to stop the run
    // there (empty: stop).
    std::function<bool(const SheetLabel& label, const core::Failure& why)> jobFailed;
    // On sheets: after each label placed, with the number placed so far.
    LinePrinted placed;
};

// What a run printed, and why it stopped before its end. Labels of their
// own jobs that went out before a failure stay printed; a run on sheets
// prints all of them or none.
struct RunReport {
    qint64 printed = 0;
    std::vector<JobDone> jobs;
    core::Status status;
};

// Prints the labels `next` gives, up to its end, a failure (a label without
// its barcode, a label of several parts that can't be laid out, a printer
// that fails) or a stop request
// (services::TerminationRequested: kStopped).
RunReport PrintLabelRun(PrintTarget& printer, const RunPlacement& where, const NextLabel& next,
                        const RunEvents& events = {});

} // namespace printing
