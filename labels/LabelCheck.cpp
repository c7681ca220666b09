#include "labels/LabelCheck.h"

#include "symbols/ScanCheck.h"
#include "symbols/SymbologyTable.h"

namespace labels {
namespace {

QString Number(double v) { return QString::number(v, 'g', 6); }
QString Mm(double v) { return Number(v) + QStringLiteral(" mm"); }
QString At(QPointF mm) { return QStringLiteral("at %1, %2 mm").arg(Number(mm.x()), Number(mm.y())); }
QString Quoted(const QString& text)
{
    return QLatin1Char('"') + (text.size() > 60 ? text.left(57) + QStringLiteral("...") : text) + QLatin1Char('"');
}

QString Describe(const BarcodePart& b)
{
    QString line = QStringLiteral("%1 %2").arg(QString::fromUtf8(symbols::RowOf(b.symbology).caption), Quoted(b.text));
    if (b.moduleMm)
        line += QStringLiteral(", module %1").arg(Mm(*b.moduleMm));
    if (b.widthMm)
        line += QStringLiteral(", %1 wide").arg(Mm(*b.widthMm));
    if (b.heightMm)
        line += QStringLiteral(", %1 high").arg(Mm(*b.heightMm));
    if (b.caption)
        line += QStringLiteral(", caption %1 pt").arg(Number(b.captionPoints));
    return line;
}

QString Describe(const TextPart& t)
{
    QString line = QStringLiteral("%1, %2 %3 pt").arg(Quoted(t.text), t.font, Number(t.points));
    if (t.bold)
        line += QStringLiteral(" bold");
    if (t.boxWidthMm) {
        const char* align = t.align == Align::Centre ? "centred" : t.align == Align::Right ? "right-aligned" : "left-aligned";
        line += QStringLiteral(", %1 in a box %2 wide, at least %3 pt")
                    .arg(QLatin1String(align), Mm(*t.boxWidthMm), Number(t.minPoints));
    }
    return line;
}

} // namespace

core::Status ScanLabel(const LaidOutLabel& laid, const Label& label)
{
    for (const LaidOutPart& part : laid.parts) {
        const size_t index = static_cast<size_t>(part.number - 1);
        if (index >= label.parts.size())
            continue;
        const auto* barcode = std::get_if<BarcodePart>(&label.parts[index].what);
        if (!barcode)
            continue;
        const symbols::ScanResult scan =
            symbols::ScanCheck(part.drawing, symbols::ExpectedScan(barcode->symbology, part.text));
        if (!scan.Fails())
            continue;
        return core::Failure{core::kDoesNotScan,
                             QStringLiteral("Part %1 (barcode) %2.").arg(part.number).arg(scan.Text()), false,
                             core::Place{{}, 0, {}, 0, QStringLiteral("parts[%1]").arg(part.number)}};
    }
    return core::Ok();
}

QStringList DescribeLabel(const Label& label)
{
    QStringList lines;
    lines << QStringLiteral("Label %1 × %2 mm, %3 %4")
                 .arg(Number(label.sizeMm.width()), Number(label.sizeMm.height()))
                 .arg(label.parts.size())
                 .arg(label.parts.size() == 1 ? QStringLiteral("part:") : QStringLiteral("parts:"));
    int number = 0;
    for (const Part& part : label.parts) {
        QString what;
        if (const auto* b = std::get_if<BarcodePart>(&part.what))
            what = Describe(*b);
        else if (const auto* t = std::get_if<TextPart>(&part.what))
            what = Describe(*t);
        else if (const auto* l = std::get_if<LinePart>(&part.what))
            what = QStringLiteral("to %1, %2 mm, %3 thick").arg(Number(l->endMm.x()), Number(l->endMm.y()), Mm(l->strokeMm));
        else if (const auto* box = std::get_if<BoxPart>(&part.what))
            what = QStringLiteral("%1 × %2 mm, %3 thick")
                       .arg(Number(box->sizeMm.width()), Number(box->sizeMm.height()), Mm(box->strokeMm));
        lines << QStringLiteral("  %1 %2 %3: %4").arg(++number).arg(KindName(part), At(part.atMm), what);
    }
    return lines;
}

} // namespace labels
