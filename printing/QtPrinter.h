// One of Qt's printers: the spooler's on Windows, and the printers of a
// catalog that does not print through CUPS. Qt draws the job on a QPrinter
// at the printer's own resolution.
#pragma once

#include "printing/PaintingTarget.h"

class QPrinter;

namespace printing {

class PrinterCatalog;

class QtPrinter : public PaintingTarget {
public:
    QtPrinter(const PrinterCatalog& catalog, QString name, Calibration calibration);

    QString Name() const override { return name_; }
    core::Result<JobPage> PageFor(std::optional<QSizeF> paperMm) const override;

protected:
    core::Result<OpenedJob> Open(std::optional<QSizeF> paperMm) override;

private:
    // Points the printer at this one, on sheets of `paperMm` when given:
    // the page it prints on.
    core::Result<JobPage> configure(QPrinter& printer, std::optional<QSizeF> paperMm) const;

    const PrinterCatalog& catalog_;
    QString name_;
    Calibration calibration_;
};

} // namespace printing
