#include "printing/CalibrationPage.h"

#include "printing/Printer.h"

namespace printing {
namespace {

constexpr double kInsetMm = 20;
constexpr double kArmMm = 6;      // half a cross
constexpr double kLineMm = 0.2;   // thin enough to measure against a ruler
constexpr double kRulerMm = 100;  // the rulers' length from the sheet's edge

void Cross(Printer& printer, QPointF c)
{
    printer.PaintLineMm(QLineF(c.x() - kArmMm, c.y(), c.x() + kArmMm, c.y()), kLineMm);
    printer.PaintLineMm(QLineF(c.x(), c.y() - kArmMm, c.x(), c.y() + kArmMm), kLineMm);
}

// A ruler from the sheet's edge inwards, a tick every mm, longer every 5
// and 10, with the centimetres written beside it.
void Ruler(Printer& printer, bool across, double at)
{
    for (int mm = 0; mm <= kRulerMm; ++mm) {
        const double tick = mm % 10 == 0 ? 4 : mm % 5 == 0 ? 2.5 : 1.5;
        printer.PaintLineMm(across ? QLineF(mm, at, mm, at + tick) : QLineF(at, mm, at + tick, mm), kLineMm);
        if (mm % 10 == 0 && mm > 0)
            printer.PaintTextMm(across ? QPointF(mm + 0.5, at + 8) : QPointF(at + 5, mm + 1), QString::number(mm / 10));
    }
}

} // namespace

std::vector<QPointF> CalibrationCrossesMm(const QSizeF& s)
{
    return {{kInsetMm, kInsetMm},
            {s.width() - kInsetMm, kInsetMm},
            {kInsetMm, s.height() - kInsetMm},
            {s.width() - kInsetMm, s.height() - kInsetMm},
            {s.width() / 2, s.height() / 2}};
}

core::Result<JobDone> PrintCalibrationPage(PrintTarget& target)
{
    Printer printer(target);
    const QSizeF sheet = printer.SheetMm();
    if (printer.Begin().ok()) {
        for (const QPointF& c : CalibrationCrossesMm(sheet))
            Cross(printer, c);
        // The rulers start at the sheet's edge, where the printer may not
        // reach: what is missing of them is the margin.
        Ruler(printer, true, sheet.height() / 2 + 15);
        Ruler(printer, false, sheet.width() / 2 + 15);
        const QPointF text(kInsetMm + 10, sheet.height() / 2 - 30);
        printer.PaintTextMm(text, QStringLiteral("Calibration page: the centre of each cross is 20 mm in from the"));
        printer.PaintTextMm(text + QPointF(0, 5), QStringLiteral("sheet's edges (the middle one at the sheet's centre)."));
        printer.PaintTextMm(text + QPointF(0, 10), QStringLiteral("Shift = where a cross is measured - where it should be."));
        printer.PaintTextMm(text + QPointF(0, 15), QStringLiteral("Scale = distance between two crosses measured / printed x 100."));
    }
    return printer.EndDoc();
}

} // namespace printing
