#include "printing/PrintAction.h"

#include "core/Numeric.h"
#include "core/Units.h"

#include <cmath>

namespace printing {

core::MaybeFailure CheckPrint(const QString& leftText, const QString& topText, bool hasPicture)
{
    if (!core::IsNumeric(leftText))
        return core::Failure{PrintCheckCode::LeftNotNumeric, kOffsetNotNumeric};
    if (!core::IsNumeric(topText))
        return core::Failure{PrintCheckCode::TopNotNumeric, kOffsetNotNumeric};
    if (!hasPicture)
        return core::Failure{PrintCheckCode::NoPicture, kNothingToPrint};
    return std::nullopt;
}

double OffsetCm(const QString& text)
{
    return static_cast<float>(core::NumberOr(text, 0));
}

core::MaybeFailure PrintDrawingAt(Printer& printer, const graphics::Drawing& drawing, double leftCm,
                                      double topCm)
{
    printer.SetScaleMode(PrinterScale::Centimeters);
    // An offset that puts the whole barcode off the page (a typo such as
    // 250 for 2.5, or a value too large for a number) would send a blank
    // page; nothing is sent instead.
    const double pageWidth = printer.ScaleWidth(), pageHeight = printer.ScaleHeight();
    const double widthCm = printer.DrawingWidth(drawing);
    const double heightCm = printer.DrawingHeight(drawing);
    if (printer.DocFailed()) {
        return printer.EndDoc();
    }
    if (!std::isfinite(leftCm) || !std::isfinite(topCm) || leftCm >= pageWidth || topCm >= pageHeight ||
        leftCm + widthCm <= 0 || topCm + heightCm <= 0) {
        printer.KillDoc();
        return core::Failure{core::kPrintFailed, kOutsideThePage};
    }
    printer.PaintDrawing(drawing, leftCm, topCm);
    return printer.EndDoc();
}

} // namespace printing
