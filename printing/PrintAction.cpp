#include "printing/PrintAction.h"

#include "core/Numeric.h"
#include "core/Units.h"
#include "printing/Printer.h"

#include <algorithm>
#include <cmath>

namespace printing {

core::Status CheckPrint(const QString& leftText, const QString& topText, bool hasPicture)
{
    if (!core::IsNumeric(leftText))
        return core::Failure{core::kLeftNotNumeric, kOffsetNotNumeric};
    if (!core::IsNumeric(topText))
        return core::Failure{core::kTopNotNumeric, kOffsetNotNumeric};
    if (!hasPicture)
        return core::Failure{core::kNoPicture, kNothingToPrint};
    return core::Ok();
}

double OffsetCm(const QString& text)
{
    return static_cast<float>(core::NumberOr(text, 0));
}

core::Result<JobDone> PrintDrawingAt(PrintTarget& target, const graphics::Drawing& drawing, double leftCm,
                                     double topCm, int copies)
{
    Printer printer(target);
    printer.SetScaleMode(PrinterScale::Centimeters);
    if (const core::Status begun = printer.Begin(); begun.failed())
        return begun.failure();
    // An offset that puts the whole barcode off the page (a typo such as
    // 250 for 2.5, or a value too large for a number) would send a blank
    // page; nothing is sent instead.
    const double pageWidth = printer.ScaleWidth(), pageHeight = printer.ScaleHeight();
    const double widthCm = printer.DrawingWidth(drawing);
    const double heightCm = printer.DrawingHeight(drawing);
    if (!std::isfinite(leftCm) || !std::isfinite(topCm) || leftCm >= pageWidth || topCm >= pageHeight ||
        leftCm + widthCm <= 0 || topCm + heightCm <= 0)
        return core::Failure{core::kPrintFailed, kOutsideThePage};
    for (int copy = 0; copy < std::max(copies, 1); ++copy) {
        core::Status placed = copy == 0 ? core::Ok() : printer.NewPage();
        if (placed.ok())
            placed = printer.PaintDrawing(drawing, leftCm, topCm);
        if (placed.failed()) {
            printer.KillDoc();
            return placed.failure();
        }
    }
    return printer.EndDoc();
}

} // namespace printing
