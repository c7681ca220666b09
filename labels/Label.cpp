#include "labels/Label.h"


namespace labels {
namespace {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

} // namespace

QString KindName(const Part& part)
{
    return std::visit(Overloaded{[](const BarcodePart&) { return QStringLiteral("barcode"); },
                                 [](const TextPart&) { return QStringLiteral("text"); },
                                 [](const LinePart&) { return QStringLiteral("line"); },
                                 [](const BoxPart&) { return QStringLiteral("box"); }},
                      part.what);
}

const QString* PartText(const Part& part)
{
    if (const auto* b = std::get_if<BarcodePart>(&part.what))
        return &b->text;
    if (const auto* t = std::get_if<TextPart>(&part.what))
        return &t->text;
    return nullptr;
}

QString* PartText(Part& part) { return const_cast<QString*>(PartText(std::as_const(part))); }

Label OneBarcodeLabel(const BarcodePart& barcode, QSizeF sizeMm, QPointF atMm)
{
    return Label{sizeMm, LengthUnit::Mm, {Part{atMm, barcode}}};
}

QRectF KnownExtentMm(const Part& part)
{
    const QPointF at = part.atMm;
    return std::visit(
        Overloaded{[&](const BarcodePart& b) { return QRectF(at, QSizeF(b.widthMm.value_or(0), b.heightMm.value_or(0))); },
                   [&](const TextPart& t) { return QRectF(at, QSizeF(t.boxWidthMm.value_or(0), 0)); },
                   [&](const LinePart& l) {
                       const double half = l.strokeMm / 2;
                       const QRectF r = QRectF(at, l.endMm).normalized();
                       // A level line widens up and down, an upright one
                       // left and right, a slanted one (square ends) all round.
                       const double dx = at.y() == l.endMm.y() && at.x() != l.endMm.x() ? 0 : half;
                       const double dy = at.x() == l.endMm.x() && at.y() != l.endMm.y() ? 0 : half;
                       return r.adjusted(-dx, -dy, dx, dy);
                   },
                   [&](const BoxPart& b) { return QRectF(at, b.sizeMm); }},
        part.what);
}

} // namespace labels
