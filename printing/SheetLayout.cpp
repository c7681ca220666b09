#include "printing/SheetLayout.h"

#include "core/Units.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace printing {
namespace {

using core::kMmPerInch;
// Half a tenth of a millimetre: what the published sizes are rounded to.
constexpr double kTolerance = 0.05;

const QSizeF kA4{210, 297};
const QSizeF kLetter{215.9, 279.4};

SheetLayout Mm(const char* name, QSizeF page, QSizeF label, int columns, int rows, double pitchX, double pitchY,
               double left, double top)
{
    return SheetLayout{QString::fromUtf8(name), page, label, columns, rows, pitchX, pitchY, left, top, false};
}

// A Letter product, entered in inches as its maker gives it.
SheetLayout In(const char* name, QSizeF label, int columns, int rows, double pitchX, double pitchY, double left,
               double top)
{
    const double k = kMmPerInch;
    return SheetLayout{QString::fromUtf8(name), kLetter, label * k, columns, rows, pitchX * k, pitchY * k,
                       left * k, top * k, true};
}

bool Same(double a, double b) { return std::abs(a - b) <= 0.5; }

// A length as a layout shows it: millimetres to two places, inches to four.
QString Length(double mm, bool inches)
{
    const double v = inches ? mm / kMmPerInch : mm;
    if (!(std::abs(v) < 1e9)) // a hand-edited size no page has, as it was given
        return QString::number(v, 'g', 6);
    return QString::number(std::round(v * (inches ? 10000 : 100)) / (inches ? 10000 : 100), 'g', 8);
}

QString Pair(QSizeF mm, bool inches, const QString& unit)
{
    return QStringLiteral("%1 × %2 %3").arg(Length(mm.width(), inches), Length(mm.height(), inches), unit);
}

std::optional<double> Positive(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

std::optional<QSizeF> SizeOf(const QString& text, QChar separator)
{
    const QStringList parts = text.split(separator);
    if (parts.size() != 2)
        return std::nullopt;
    const auto w = Positive(parts[0]), h = Positive(parts[1]);
    return w && h ? std::optional<QSizeF>(QSizeF(*w, *h)) : std::nullopt;
}

core::Failure Refused(int code, const SheetLayout& layout, const QString& why)
{
    return core::Failure{code, QStringLiteral("The layout \"%1\" can't be printed: %2.").arg(layout.name, why)};
}

} // namespace

QPointF SheetLayout::CellCornerMm(int cell) const
{
    const int c = columns > 0 ? cell % columns : 0, r = columns > 0 ? cell / columns : 0;
    return QPointF(leftMm + c * pitchXMm, topMm + r * pitchYMm);
}

const std::vector<SheetLayout>& BuiltInLayouts()
{
    // Label size, columns × rows, pitch across and down, left and top margin.
    static const std::vector<SheetLayout> table{
        Mm("Avery L7651", kA4, {38.1, 21.2}, 5, 13, 40.64, 21.2, 4.75, 10.7),
        Mm("Avery L7157", kA4, {64, 24.3}, 3, 11, 66.5, 24.3, 6.5, 14.85),
        Mm("Avery L7159", kA4, {63.5, 33.9}, 3, 8, 66.04, 33.9, 7.25, 12.9),
        Mm("Avery L7160", kA4, {63.5, 38.1}, 3, 7, 66.04, 38.1, 7.25, 15.15),
        Mm("Avery L7161", kA4, {63.5, 46.6}, 3, 6, 66.04, 46.6, 7.25, 8.8),
        Mm("Avery L7162", kA4, {99.1, 33.9}, 2, 8, 101.6, 33.9, 4.65, 12.9),
        Mm("Avery L7163", kA4, {99.1, 38.1}, 2, 7, 101.6, 38.1, 4.65, 15.15),
        Mm("Avery L7173", kA4, {99.1, 57}, 2, 5, 101.6, 57, 4.65, 6),
        Mm("Avery L7165", kA4, {99.1, 67.7}, 2, 4, 101.6, 67.7, 4.65, 13.1),
        Mm("A4 3 x 8 70 x 37", kA4, {70, 37}, 3, 8, 70, 37, 0, 0.5),
        Mm("A4 3 x 8 70 x 36", kA4, {70, 36}, 3, 8, 70, 36, 0, 4.5),
        In("Avery 5160", {2.625, 1}, 3, 10, 2.75, 1, 0.1875, 0.5),
        In("Avery 5161", {4, 1}, 2, 10, 4.125, 1, 0.15625, 0.5),
        In("Avery 5162", {4, 4.0 / 3}, 2, 7, 4.125, 4.0 / 3, 0.15625, 5.0 / 6),
        In("Avery 5163", {4, 2}, 2, 5, 4.125, 2, 0.15625, 0.5),
        In("Avery 5164", {4, 10.0 / 3}, 2, 3, 4.125, 10.0 / 3, 0.15625, 0.5),
        In("Avery 5167", {1.75, 0.5}, 4, 20, 2.05, 0.5, 0.3, 0.5),
    };
    return table;
}

core::Status CheckLayout(const SheetLayout& l)
{
    const auto notAbove = [&](const QString& what) {
        return Refused(core::kNotAboveZero, l, QStringLiteral("%1 must be more than 0").arg(what));
    };
    if (!(l.pageMm.width() > 0) || !(l.pageMm.height() > 0))
        return notAbove(QStringLiteral("the page's width and height"));
    const QSizeF page = l.pageMm;
    if (std::max(page.width(), page.height()) > core::kMaxPageMm || std::min(page.width(), page.height()) < core::kMinPageMm)
        return Refused(core::kOffThePage, l,
                       QStringLiteral("its page of %1 is not one a PDF can hold: a page's sides are from %2 mm to %3 mm (%4 in)")
                           .arg(Pair(page, false, QStringLiteral("mm")))
                           .arg(core::kMinPageMm)
                           .arg(core::kMaxPageMm)
                           .arg(core::kMaxPageInches));
    if (!(l.labelMm.width() > 0) || !(l.labelMm.height() > 0))
        return notAbove(QStringLiteral("the label's width and height"));
    if (l.columns < 1 || l.rows < 1)
        return notAbove(QStringLiteral("the number of columns and of rows"));
    // In the unit the layout is entered in.
    const auto length = [&l](double mm) { return Length(mm, l.inches) + (l.inches ? QStringLiteral(" in") : QStringLiteral(" mm")); };
    if (l.columns > 1 && l.pitchXMm < l.labelMm.width() - kTolerance)
        return Refused(core::kOverlap, l,
                       QStringLiteral("the labels overlap: the pitch across (%1) is less than a label's width (%2)")
                           .arg(length(l.pitchXMm), length(l.labelMm.width())));
    if (l.rows > 1 && l.pitchYMm < l.labelMm.height() - kTolerance)
        return Refused(core::kOverlap, l,
                       QStringLiteral("the labels overlap: the pitch down (%1) is less than a label's height (%2)")
                           .arg(length(l.pitchYMm), length(l.labelMm.height())));
    if (!(l.leftMm >= -kTolerance) || !(l.topMm >= -kTolerance))
        return Refused(core::kOffThePage, l, QStringLiteral("the margins must not be negative"));
    const QPointF last = l.CellCornerMm(l.LabelsPerSheet() - 1);
    const double right = last.x() + l.labelMm.width(), bottom = last.y() + l.labelMm.height();
    if (right > l.pageMm.width() + kTolerance)
        return Refused(core::kOffThePage, l,
                       QStringLiteral("its last column ends %1 from the left edge, past the page's width of %2")
                           .arg(length(right), length(l.pageMm.width())));
    if (bottom > l.pageMm.height() + kTolerance)
        return Refused(core::kOffThePage, l,
                       QStringLiteral("its last row ends %1 from the top edge, past the page's height of %2")
                           .arg(length(bottom), length(l.pageMm.height())));
    return core::Ok();
}

core::Status CheckStart(const SheetLayout& layout, int start)
{
    if (start >= 1 && start <= layout.LabelsPerSheet())
        return core::Ok();
    return core::Failure{core::kStartPastSheet,
                             QStringLiteral("The start position %1 is not on the sheet: the layout \"%2\" has labels 1 to %3.")
                                 .arg(start)
                                 .arg(layout.name)
                                 .arg(layout.LabelsPerSheet())};
}

core::Result<int> StartAtRowColumn(const SheetLayout& layout, int row, int column)
{
    if (row >= 1 && row <= layout.rows && column >= 1 && column <= layout.columns)
        return (row - 1) * layout.columns + column;
    return core::Failure{core::kStartPastSheet,
                         QStringLiteral("Row %1, column %2 is not on the sheet: the layout \"%3\" has %4 columns and %5 rows.")
                             .arg(row)
                             .arg(column)
                             .arg(layout.name)
                             .arg(layout.columns)
                             .arg(layout.rows)};
}

QString PageName(const SheetLayout& layout)
{
    const QSizeF p = layout.pageMm;
    if (Same(p.width(), kA4.width()) && Same(p.height(), kA4.height()))
        return QStringLiteral("A4");
    if (Same(p.width(), kLetter.width()) && Same(p.height(), kLetter.height()))
        return QStringLiteral("Letter");
    return Pair(p, layout.inches, layout.inches ? QStringLiteral("in") : QStringLiteral("mm"));
}

QString DescribeLayout(const SheetLayout& l)
{
    const QString unit = l.inches ? QStringLiteral("in") : QStringLiteral("mm");
    // The fields are separated by tabs and the layouts by line breaks: a
    // name holding either (a hand-edited one) is shown with them escaped.
    QString name;
    for (QChar c : l.name) {
        if (c == QLatin1Char('\t'))
            name += QStringLiteral("\\t");
        else if (c == QLatin1Char('\n'))
            name += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            name += QStringLiteral("\\r");
        else if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            name += QStringLiteral("\\u%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0'));
        else
            name += c;
    }
    return QStringList{name,
                       PageName(l),
                       QStringLiteral("%1 × %2").arg(l.columns).arg(l.rows),
                       QStringLiteral("label %1").arg(Pair(l.labelMm, l.inches, unit)),
                       QStringLiteral("pitch %1").arg(Pair(QSizeF(l.pitchXMm, l.pitchYMm), l.inches, unit)),
                       QStringLiteral("margins left %1, top %2 %3")
                           .arg(Length(l.leftMm, l.inches), Length(l.topMm, l.inches), unit)}
        .join(QLatin1Char('\t'));
}

QString LayoutToSetting(const SheetLayout& l)
{
    const auto n = [](double v) { return QString::number(v, 'g', 10); };
    return QStringLiteral("page=%1x%2;label=%3x%4;grid=%5x%6;pitch=%7x%8;margins=%9,%10;unit=%11")
        .arg(n(l.pageMm.width()), n(l.pageMm.height()), n(l.labelMm.width()), n(l.labelMm.height()))
        .arg(l.columns)
        .arg(l.rows)
        .arg(n(l.pitchXMm), n(l.pitchYMm), n(l.leftMm), n(l.topMm),
             l.inches ? QStringLiteral("in") : QStringLiteral("mm"));
}

std::optional<SheetLayout> LayoutFromSetting(const QString& name, const QString& value)
{
    SheetLayout l;
    l.name = name;
    QStringList seen; // a key given twice leaves one of the five out
    for (const QString& field : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = field.indexOf(QLatin1Char('='));
        const QString key = field.left(eq).trimmed(), v = eq < 0 ? QString() : field.mid(eq + 1);
        if (seen.contains(key))
            return std::nullopt;
        std::optional<QSizeF> size = SizeOf(v, key == QLatin1String("margins") ? QLatin1Char(',') : QLatin1Char('x'));
        if (key == QLatin1String("unit")) {
            l.inches = v.trimmed() == QLatin1String("in");
            continue;
        }
        if (!size)
            return std::nullopt;
        if (key == QLatin1String("page"))
            l.pageMm = *size;
        else if (key == QLatin1String("label"))
            l.labelMm = *size;
        else if (key == QLatin1String("grid")) {
            if (size->width() != std::floor(size->width()) || size->height() != std::floor(size->height()) ||
                size->width() > 1000 || size->height() > 1000)
                return std::nullopt;
            l.columns = static_cast<int>(size->width());
            l.rows = static_cast<int>(size->height());
        } else if (key == QLatin1String("pitch")) {
            l.pitchXMm = size->width();
            l.pitchYMm = size->height();
        } else if (key == QLatin1String("margins")) {
            l.leftMm = size->width();
            l.topMm = size->height();
        } else
            return std::nullopt;
        seen << key;
    }
    if (seen.size() != 5)
        return std::nullopt;
    return l;
}

LabelCell CellOfLabel(const SheetLayout& layout, int start, qint64 index)
{
    const qint64 perSheet = std::max(1, layout.LabelsPerSheet());
    const qint64 n = index + std::max(0, start - 1);
    return LabelCell{static_cast<int>(n / perSheet), static_cast<int>(n % perSheet)};
}

} // namespace printing
