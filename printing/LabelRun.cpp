#include "printing/LabelRun.h"

#include "printing/PrintAction.h"
#include "printing/Printers.h"
#include "services/Termination.h"

namespace printing {

NextLabel EachLabelTimes(NextLabel next, int copies)
{
    if (copies <= 1)
        return next;
    return [next = std::move(next), copies, held = std::optional<SheetLabel>(), left = 0]() mutable {
        if (left == 0) {
            held = next();
            left = copies;
        }
        --left;
        return held;
    };
}

RunReport PrintLabelRun(PrintTarget& printer, const RunPlacement& where, const NextLabel& next, const RunEvents& events)
{
    RunReport report;
    if (where.sheets) {
        core::Result<SheetsPrinted> sheets =
            PrintOnSheets(printer, *where.sheets, EachLabelTimes(next, where.copies), events.placed);
        if (sheets.failed()) {
            report.status = sheets.failure();
        } else if (sheets->printed > 0) {
            report.printed = sheets->printed;
            report.jobs.push_back(std::move(sheets->done));
        }
        return report;
    }
    const auto stopped = [&report](const core::Failure& why) {
        report.status = why;
        return report;
    };
    std::optional<double> dpi; // a label of several parts is laid out for the printer's dots
    for (std::optional<SheetLabel> label = next(); label; label = next()) {
        if (services::TerminationRequested())
            return stopped({core::kStopped, QStringLiteral("Stopped after label %1.").arg(report.printed)});
        if (label->stop.failed())
            return stopped(label->stop.failure());
        const bool send = !events.starting || events.starting(*label);
        if (label->barcode.status.failed()) {
            const core::Failure& why = label->barcode.status.failure();
            return stopped({why.code, QStringLiteral("There is no barcode to print for the label \"%1\": %2")
                                          .arg(label->text, why.text)});
        }
        std::optional<labels::LaidOutLabel> laid;
        if (label->parts && send) {
            if (!dpi) { // asked once: a CUPS queue is asked over the wire
                const core::Result<JobPage> page = printer.PageFor(std::nullopt);
                if (page.failed())
                    return stopped(UnusablePrinter(printer.Name(), page.failure()));
                dpi = page->gridDpi;
            }
            core::Result<labels::LaidOutLabel> parts = LayOutParts(*label->parts, *dpi);
            if (parts.failed())
                return stopped(LabelNotPrinted(label->text, parts.failure()));
            laid = std::move(*parts);
        }
        const JobDone* sent = nullptr;
        if (send) {
            core::Result<JobDone> done =
                laid ? PrintLaidOutLabel(printer, *laid, where.copies)
                     : PrintDrawingAt(printer, label->barcode.drawing, where.leftCm, where.topCm, where.copies);
            if (done.failed() && !(events.jobFailed && events.jobFailed(*label, done.failure())))
                return stopped(done.failure());
            if (done.ok()) {
                ++report.printed;
                report.jobs.push_back(std::move(*done));
                sent = &report.jobs.back();
            }
        }
        if (events.finished)
            events.finished(*label, sent);
    }
    return report;
}

} // namespace printing
