#include "printing/SheetPrint.h"

#include "printing/Printer.h"

#include "services/Termination.h"

namespace printing {
namespace {

constexpr double kMmPerCm = 10;
// A barcode may reach this far past its cell (a rounding of the sizes).
constexpr double kSlackCm = 0.01;

QString Cm(double cm) { return QString::number(std::round(cm * kMmPerCm * 10) / 10, 'g', 6); }

} // namespace

std::optional<double> LargestModuleMm(Printer& printer, const graphics::Drawing& drawing, QSizeF roomCm)
{
    if (roomCm.width() <= 0 || roomCm.height() <= 0)
        return std::nullopt;
    const double dpi = printer.GridDpi();
    // The whole dots that fit on the printer's grid, then checked as the
    // printer measures (a calibration scale may make a module larger).
    const QSizeF roomDots = roomCm * kMmPerCm * dpi / labels::kMmPerInch;
    graphics::Drawing probe = drawing;
    for (int dots = graphics::LargestFittingModule(drawing, graphics::DeviceGrid(dpi, dpi), roomDots) + 1; dots >= 1; --dots) {
        probe.printSize = graphics::PrintSize::Module(graphics::DotsToMm(dots, dpi));
        if (printer.DrawingWidth(probe) <= roomCm.width() && printer.DrawingHeight(probe) <= roomCm.height())
            return probe.printSize.mm;
    }
    return std::nullopt;
}

namespace {

} // namespace

core::Result<SheetsPrinted> PrintOnSheets(PrintTarget& target, const SheetPlacement& placement, const NextLabel& next,
                                          const LinePrinted& labelPrinted)
{
    const SheetLayout& layout = placement.layout;
    if (core::Status bad = CheckLayout(layout); bad.failed())
        return bad.failure();
    if (core::Status bad = CheckStart(layout, placement.start); bad.failed())
        return bad.failure();
    Printer printer(target);
    printer.SetPaper(layout.pageMm);
    printer.SetScaleMode(PrinterScale::Centimeters);
    if (const core::Status begun = printer.Begin(); begun.failed())
        return begun.failure();
    const double paperLeft = printer.PaperLeft(), paperTop = printer.PaperTop();
    const double labelW = layout.labelMm.width() / kMmPerCm, labelH = layout.labelMm.height() / kMmPerCm;

    qint64 printed = 0;
    int sheet = 0;
    for (std::optional<SheetLabel> label = next(); label; label = next()) {
        if (services::TerminationRequested())
            return core::Failure{core::kStopped, QStringLiteral("Stopped: nothing was printed.")};
        if (label->stop.failed())
            return label->stop.failure();
        // A label of several parts goes with its corner at the cell's; a
        // barcode at the offsets from it.
        std::optional<labels::LaidOutLabel> laid;
        const graphics::Drawing& drawing = label->barcode.drawing;
        if (label->parts) {
            core::Result<labels::LaidOutLabel> parts = LayOutParts(*label->parts, printer.GridDpi());
            if (parts.failed())
                return LabelNotPrinted(label->text, parts.failure());
            if (parts->sizeMm.width() > layout.labelMm.width() + kSlackCm * kMmPerCm ||
                parts->sizeMm.height() > layout.labelMm.height() + kSlackCm * kMmPerCm)
                return core::Failure{core::kPrintFailed,
                                     QStringLiteral("The label \"%1\" is %2 × %3 mm, larger than the %4 × %5 mm labels of "
                                                    "the layout \"%6\"; nothing was printed.")
                                         .arg(label->text, Cm(parts->sizeMm.width() / kMmPerCm),
                                              Cm(parts->sizeMm.height() / kMmPerCm), Cm(labelW), Cm(labelH), layout.name)};
            laid = std::move(*parts);
        } else {
            if (label->barcode.status.failed())
                return core::Failure{label->barcode.status.failure().code,
                                     QStringLiteral("There is no barcode to print for the label \"%1\": %2")
                                         .arg(label->text, label->barcode.status.failure().text)};
            const double w = printer.DrawingWidth(drawing), h = printer.DrawingHeight(drawing);
            const QSizeF room(labelW + kSlackCm - placement.leftCm, labelH + kSlackCm - placement.topCm);
            if (placement.leftCm < 0 || placement.topCm < 0 || w > room.width() || h > room.height()) {
                const std::optional<double> fits = LargestModuleMm(printer, drawing, room);
                const QString smaller =
                    fits ? QStringLiteral("A module of %1 mm fits: print at that module size, or make the offsets less.")
                               .arg(QString::number(*fits, 'g', 4))
                         : QStringLiteral("Make the offsets less: not even a module of one dot fits.");
                return core::Failure{core::kPrintFailed,
                                     QStringLiteral("The barcode of \"%1\" does not fit its label: it is %2 × %3 mm, "
                                                    "and at the offsets %4 and %5 cm it runs past the %6 × %7 mm "
                                                    "label. %8")
                                         .arg(label->text, Cm(w), Cm(h), QString::number(placement.leftCm),
                                              QString::number(placement.topCm), Cm(labelW), Cm(labelH), smaller)};
            }
        }
        const LabelCell cell = CellOfLabel(layout, placement.start, printed);
        core::Status placed = core::Ok();
        for (; sheet < cell.sheet && placed.ok(); ++sheet)
            placed = printer.NewPage();
        const QPointF corner = layout.CellCornerMm(cell.cell) / kMmPerCm;
        if (placed.ok())
            placed = laid ? printer.PaintLabel(*laid, corner.x() - paperLeft, corner.y() - paperTop)
                          : printer.PaintDrawing(drawing, corner.x() + placement.leftCm - paperLeft,
                                                 corner.y() + placement.topCm - paperTop);
        if (placed.failed())
            return placed.failure();
        ++printed;
        if (labelPrinted)
            labelPrinted(printed);
    }
    if (printed == 0)
        return SheetsPrinted{};
    core::Result<JobDone> done = printer.EndDoc();
    if (done.failed())
        return done.failure();
    return SheetsPrinted{printed, std::move(*done)};
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
