#include "output/PrintAction.h"

#include "platform/Numeric.h"
#include "platform/Units.h"

#include <cmath>

namespace output {

platform::MaybeFailure CheckPrint(const QString& leftText, const QString& topText, bool hasPicture)
{
    if (!platform::IsNumeric(leftText))
        return platform::Failure{PrintCheckCode::LeftNotNumeric, kOffsetNotNumeric};
    if (!platform::IsNumeric(topText))
        return platform::Failure{PrintCheckCode::TopNotNumeric, kOffsetNotNumeric};
    if (!hasPicture)
        return platform::Failure{PrintCheckCode::NoPicture, kNothingToPrint};
    return std::nullopt;
}

double OffsetCm(const QString& text)
{
    return static_cast<float>(platform::NumberOr(text, 0));
}

platform::MaybeFailure PrintDrawingAt(platform::Printer& printer, const platform::Drawing& drawing, double leftCm,
                                      double topCm)
{
    printer.SetScaleMode(platform::PrinterScale::Centimeters);
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
        return platform::Failure{platform::kPrintFailed, kOutsideThePage};
    }
    printer.PaintDrawing(drawing, leftCm, topCm);
    return printer.EndDoc();
}

} // namespace output
