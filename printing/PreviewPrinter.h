// The pages a printer would print, as pictures: a job is drawn on pictures
// of the printer's whole sheet at a resolution, the printable area's corner
// where the printer has it, every shape on the printer's own grid of dots
// and moved by its calibration, as the printer gets it.
#pragma once

#include "printing/PaintingTarget.h"

namespace printing {

class PreviewPrinter : public PaintingTarget {
public:
    // The pages of `printer`'s jobs, drawn at `dpi`.
    PreviewPrinter(const PrintTarget& printer, double dpi);

    QString Name() const override { return printer_.Name(); }
    core::Result<JobPage> PageFor(std::optional<QSizeF> paperMm) const override { return printer_.PageFor(paperMm); }

protected:
    core::Result<OpenedJob> Open(std::optional<QSizeF> paperMm) override;

private:
    const PrintTarget& printer_;
    double dpi_;
};

} // namespace printing
