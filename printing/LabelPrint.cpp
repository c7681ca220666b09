#include "printing/LabelPrint.h"

#include "labels/LabelCheck.h"
#include "printing/Printer.h"

#include <cmath>

namespace printing {
namespace {

// A label may reach this far past the room it has (a rounding of the sizes).
constexpr double kSlackMm = 0.1;

QString Mm(double mm) { return QString::number(std::round(mm * 10) / 10, 'g', 6); }

} // namespace

core::Result<labels::LaidOutLabel> LayOutParts(const LabelParts& parts, double dpi)
{
    if (!parts.label)
        return core::Failure{core::kNothingToDraw, QStringLiteral("The label has no parts.")};
    if (parts.laidOut && parts.laidOut->dpi == dpi)
        return *parts.laidOut;
    core::Result<labels::LaidOutLabel> laid = labels::LayOutLabel(*parts.label, parts.fill, dpi);
    if (laid.failed() || !parts.verify)
        return laid;
    if (const core::Status scans = labels::ScanLabel(*laid, parts.label->label); scans.failed())
        return scans.failure();
    return laid;
}

core::Failure LabelNotPrinted(const QString& name, const core::Failure& why)
{
    core::Failure failure = why;
    failure.text = QStringLiteral("The label \"%1\" was not printed: %2").arg(name, why.text);
    return failure;
}

core::Result<JobDone> PrintLaidOutLabel(PrintTarget& target, const labels::LaidOutLabel& label)
{
    Printer printer(target);
    printer.SetScaleMode(PrinterScale::Millimeters);
    if (const core::Status begun = printer.Begin(); begun.failed())
        return begun.failure();
    const double width = printer.ScaleWidth(), height = printer.ScaleHeight();
    if (label.sizeMm.width() > width + kSlackMm || label.sizeMm.height() > height + kSlackMm)
        return core::Failure{core::kPrintFailed,
                             QStringLiteral("The label is %1 × %2 mm, larger than the %3 × %4 mm the printer \"%5\" prints "
                                            "on; nothing was printed.")
                                 .arg(Mm(label.sizeMm.width()), Mm(label.sizeMm.height()), Mm(width), Mm(height),
                                      target.Name())};
    if (const core::Status placed = printer.PaintLabel(label, 0, 0); placed.failed())
        return placed.failure();
    return printer.EndDoc();
}

} // namespace printing
