// The calibration page: rulers and crosses at known places on the sheet,
// so that a user can measure with a ruler how far a printer moves and
// scales what it prints.
#pragma once
#include "core/Result.h"
#include "printing/PrintTarget.h"
#include <QPointF>
#include <optional>
#include <vector>

namespace printing {

// Where the crosses' centres are, in mm from the sheet's top-left corner:
// 20 mm in from each corner of the printable area's sheet, and the middle.
std::vector<QPointF> CalibrationCrossesMm(const QSizeF& sheetMm);

// Prints the page as one job on the printer (with its calibration, so
// that a calibrated printer shows what is left to correct), on its own
// page or on a sheet of `paperMm`.
core::Result<JobDone> PrintCalibrationPage(PrintTarget& printer, std::optional<QSizeF> paperMm = std::nullopt);

} // namespace printing
