#include "output/PrintAction.h"

#include "platform/Numeric.h"

namespace output {

PrintCheck CheckPrint(const QString& leftText, const QString& topText, bool hasPicture)
{
    if (!platform::IsNumeric(leftText))
        return PrintCheck::LeftNotNumeric;
    if (!platform::IsNumeric(topText))
        return PrintCheck::TopNotNumeric;
    if (!hasPicture)
        return PrintCheck::NoPicture;
    return PrintCheck::Ok;
}

double OffsetCm(const QString& text)
{
    return static_cast<float>(platform::NumberOr(text, 0));
}

bool PrintPictureAt(platform::Printer& printer, const QImage& picture, double leftCm, double topCm)
{
    printer.SetScaleMode(platform::PrinterScale::Centimeters);
    printer.PaintPicture(picture, leftCm, topCm);
    return printer.EndDoc();
}

} // namespace output
