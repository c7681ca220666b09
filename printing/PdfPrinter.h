// The built-in printer, "Print to PDF file": each job becomes a new PDF file
// in its folder, whole or absent, named after the time the job began; or,
// for an export that makes its file whole itself, the PDF of the next jobs
// written to a device it is given. Its shapes are placed on the grid of
// the printer the PDF is meant for.
#pragma once

#include "printing/PaintingTarget.h"

class QIODevice;

namespace printing {

class PdfPrinter : public PaintingTarget {
public:
    // Jobs become files in `folder` (none: there is no folder for them).
    PdfPrinter(QString folder, double gridDpi);
    // Jobs are written to `out`.
    PdfPrinter(QIODevice& out, double gridDpi);

    QString Name() const override;
    core::Result<JobPage> PageFor(std::optional<QSizeF> paperMm) const override;

protected:
    core::Result<OpenedJob> Open(std::optional<QSizeF> paperMm) override;

private:
    QString folder_;
    QIODevice* out_ = nullptr;
    double gridDpi_;
};

} // namespace printing
