#include "printing/SheetPrint.h"

#include "services/Termination.h"

namespace printing {
namespace {

constexpr double kMmPerCm = 10;
// A barcode may reach this far past its cell (a rounding of the sizes).
constexpr double kSlackCm = 0.01;

QString Cm(double cm) { return QString::number(std::round(cm * kMmPerCm * 10) / 10, 'g', 6); }

SheetResult Dropped(Printer& printer, core::MaybeFailure failure, bool stopped = false)
{
    printer.KillDoc();
    printer.SetPaper(std::nullopt);
    return SheetResult{0, std::move(failure), stopped};
}

} // namespace

SheetResult PrintOnSheets(Printer& printer, const SheetPlacement& placement, const NextLabel& next,
                          const LinePrinted& labelPrinted)
{
    const SheetLayout& layout = placement.layout;
    if (core::MaybeFailure bad = CheckLayout(layout))
        return SheetResult{0, bad, false};
    if (core::MaybeFailure bad = CheckStart(layout, placement.start))
        return SheetResult{0, bad, false};
    printer.SetPaper(layout.pageMm);
    printer.SetScaleMode(PrinterScale::Centimeters);
    const auto printerFailed = [&printer] { return printer.EndDoc(); };
    const double paperLeft = printer.PaperLeft(), paperTop = printer.PaperTop();
    if (printer.DocFailed())
        return Dropped(printer, printerFailed());
    const double labelW = layout.labelMm.width() / kMmPerCm, labelH = layout.labelMm.height() / kMmPerCm;

    qint64 printed = 0;
    int sheet = 0;
    for (std::optional<SheetLabel> label = next(); label; label = next()) {
        if (services::TerminationRequested())
            return Dropped(printer, std::nullopt, true);
        if (label->stop)
            return Dropped(printer, label->stop);
        if (label->barcode.failure)
            return Dropped(printer,
                           core::Failure{label->barcode.failure->code,
                                             QStringLiteral("There is no barcode to print for the label \"%1\": %2")
                                                 .arg(label->text, label->barcode.failure->text)});
        const graphics::Drawing& drawing = label->barcode.drawing;
        const double w = printer.DrawingWidth(drawing), h = printer.DrawingHeight(drawing);
        if (placement.leftCm < 0 || placement.topCm < 0 || placement.leftCm + w > labelW + kSlackCm ||
            placement.topCm + h > labelH + kSlackCm)
            return Dropped(printer,
                           core::Failure{core::kPrintFailed,
                                             QStringLiteral("The barcode of \"%1\" does not fit its label: it is %2 × %3 mm, "
                                                            "and at the offsets %4 and %5 cm it runs past the %6 × %7 mm "
                                                            "label. Make the barcode smaller or the offsets less.")
                                                 .arg(label->text, Cm(w), Cm(h), QString::number(placement.leftCm),
                                                      QString::number(placement.topCm), Cm(labelW), Cm(labelH))});
        const LabelCell cell = CellOfLabel(layout, placement.start, printed);
        for (; sheet < cell.sheet; ++sheet)
            printer.NewPage();
        const QPointF corner = layout.CellCornerMm(cell.cell) / kMmPerCm;
        printer.PaintDrawing(drawing, corner.x() + placement.leftCm - paperLeft, corner.y() + placement.topCm - paperTop);
        if (printer.DocFailed())
            return Dropped(printer, printerFailed());
        ++printed;
        if (labelPrinted)
            labelPrinted(printed);
    }
    if (printed == 0)
        return Dropped(printer, std::nullopt);
    core::MaybeFailure failed = printer.EndDoc();
    printer.SetPaper(std::nullopt);
    if (failed)
        return SheetResult{0, std::move(failed), false};
    return SheetResult{printed, std::nullopt, false};
}

NextLabel SameLabel(const SheetLabel& label, const SheetPlacement& placement, bool repeat)
{
    const int cells = repeat ? placement.layout.LabelsPerSheet() - placement.start + 1 : 1;
    return [label, left = std::max(cells, 0)]() mutable -> std::optional<SheetLabel> {
        if (left == 0)
            return std::nullopt;
        --left;
        return label;
    };
}

} // namespace printing
