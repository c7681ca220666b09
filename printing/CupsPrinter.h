// A CUPS queue, named as the local server knows it or by its ipp:// or
// ipps:// URI. Qt draws the job as a PDF on the queue's own page at the
// queue's own dots, and libcups carries it; the job is followed there (Qt's
// own CUPS printing would send every job on an office sheet at 1200 dpi).
#pragma once

#include "printing/PaintingTarget.h"

namespace printing {

class CupsPrinter : public PaintingTarget {
public:
    CupsPrinter(QString queue, Calibration calibration);

    QString Name() const override { return queue_; }
    core::Result<JobPage> PageFor(std::optional<QSizeF> paperMm) const override;

protected:
    core::Result<OpenedJob> Open(std::optional<QSizeF> paperMm) override;

private:
    QString queue_;
    Calibration calibration_;
};

// Why a printer whose page is `page` can't print on sheets of `paperMm`
// (more than a millimetre off), or done.
core::Status SheetsFit(std::optional<QSizeF> paperMm, QSizeF pageMm, const QString& page);

} // namespace printing
