#include "printing/CalibrationPage.h"

#include "printing/Printer.h"

#include <QRectF>
#include <QStringList>
#include <algorithm>

namespace printing {
namespace {

constexpr double kInsetMm = 20;
constexpr double kArmMm = 6;      // half a cross
constexpr double kLineMm = 0.2;   // thin enough to measure against a ruler
constexpr double kRulerMm = 100;  // the rulers' length from the sheet's edge
constexpr double kRulerGapMm = 15; // from the sheet's middle to each ruler

void Cross(Printer& printer, QPointF c)
{
    printer.PaintLineMm(QLineF(c.x() - kArmMm, c.y(), c.x() + kArmMm, c.y()), kLineMm);
    printer.PaintLineMm(QLineF(c.x(), c.y() - kArmMm, c.x(), c.y() + kArmMm), kLineMm);
}

// A ruler from the sheet's edge inwards, a tick every mm, longer every 5
// and 10, with the centimetres written beside it, as far as the sheet goes.
void Ruler(Printer& printer, bool across, double at, double sheetMm)
{
    for (int mm = 0; mm <= std::min(kRulerMm, sheetMm); ++mm) {
        const double tick = mm % 10 == 0 ? 4 : mm % 5 == 0 ? 2.5 : 1.5;
        printer.PaintLineMm(across ? QLineF(mm, at, mm, at + tick) : QLineF(at, mm, at + tick, mm), kLineMm);
        // A number that would be cut by the sheet's edge is left out.
        if (mm % 10 == 0 && mm > 0 && mm + 5 <= sheetMm)
            printer.PaintTextMm(across ? QPointF(mm + 0.5, at + 8) : QPointF(at + 5, mm + 1), QString::number(mm / 10));
    }
}

// The words in lines of at most `chars` characters (a word longer than
// that on a line of its own).
QStringList Wrapped(const QString& text, int chars)
{
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > chars) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

// The instructions, in the room between the top crosses, the middle cross
// and the rulers, in the printer font made smaller until they fit (a
// small label gets the short form); never over a cross or a ruler.
void Instructions(Printer& printer, const QSizeF& sheet)
{
    const QString full = QStringLiteral(
        "Calibration page: the centre of each cross is 20 mm in from the sheet's edges (the middle one at the "
        "sheet's centre). Shift = where a cross is measured - where it should be. Scale = distance between two "
        "crosses measured / printed x 100.");
    const QString brief = QStringLiteral("Crosses 20 mm in from the edges. Shift = measured - expected. "
                                         "Scale = measured / printed x 100.");
    const QRectF room(QPointF(kInsetMm + kArmMm + 2, kInsetMm + kArmMm + 2),
                      QPointF(std::min(sheet.width() / 2 + kRulerGapMm - 2, sheet.width() - 3), sheet.height() / 2 - kArmMm - 2));
    if (room.width() <= 0 || room.height() <= 0)
        return;
    for (const QString& text : {full, brief})
        for (double points : {10.0, 8.0, 7.0, 6.0}) {
            printer.SetFontPoints(points);
            const TextMeasures m = printer.FontMeasures();
            if (m.charMm <= 0 || m.lineMm <= 0)
                return;
            const QStringList lines = Wrapped(text, static_cast<int>(room.width() / m.charMm));
            const bool fits = lines.size() * m.lineMm <= room.height() &&
                              std::all_of(lines.begin(), lines.end(), [&](const QString& l) { return l.size() * m.charMm <= room.width(); });
            if (!fits && !(text == brief && points == 6.0))
                continue;
            for (qsizetype i = 0; i < lines.size() && (i + 1) * m.lineMm <= room.height(); ++i)
                printer.PaintTextMm(room.topLeft() + QPointF(0, m.ascentMm + i * m.lineMm), lines[i]);
            return;
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

core::Result<JobDone> PrintCalibrationPage(PrintTarget& target, std::optional<QSizeF> paperMm)
{
    Printer printer(target);
    printer.SetPaper(paperMm);
    const QSizeF sheet = printer.SheetMm();
    if (printer.Begin().ok()) {
        for (const QPointF& c : CalibrationCrossesMm(sheet))
            Cross(printer, c);
        // The rulers start at the sheet's edge, where the printer may not
        // reach: what is missing of them is the margin.
        Ruler(printer, true, sheet.height() / 2 + kRulerGapMm, sheet.width());
        Ruler(printer, false, sheet.width() / 2 + kRulerGapMm, sheet.height());
        Instructions(printer, sheet);
    }
    return printer.EndDoc();
}

} // namespace printing
