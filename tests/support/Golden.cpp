#include "tests/support/Golden.h"

#include <QCryptographicHash>

namespace testsupport {
namespace {

QString N(double v) { return QString::number(v, 'g', 7); }

QString Op(const graphics::DrawOp& op)
{
    using K = graphics::DrawOp::Kind;
    const QString color = QString::number(op.color, 16);
    switch (op.kind) {
    case K::Fill:
        return QStringLiteral("fill %1 %2 %3 %4 #%5").arg(op.box.x()).arg(op.box.y()).arg(op.box.width()).arg(op.box.height()).arg(color);
    case K::Line:
        return QStringLiteral("line %1 %2 %3 %4 w%5 #%6")
            .arg(N(op.line.x1()), N(op.line.y1()), N(op.line.x2()), N(op.line.y2()), N(op.width), color);
    case K::Text: {
        const graphics::DrawText& t = *op.text;
        return QStringLiteral("text %1 %2 #%3 font=%4/%5/%6 px=%7 sp=%8 rot=%9 adv=%10 |%11|")
            .arg(N(op.baseline.x()), N(op.baseline.y()), color, t.font.family(), QString::number(t.font.weight()),
                 QString::number(t.font.italic()), N(t.pixelSize), N(t.spacing), N(t.rotation))
            .arg(N(t.advance), Escaped(t.text));
    }
    case K::Image: {
        const QByteArray bits(reinterpret_cast<const char*>(op.image->constBits()), op.image->sizeInBytes());
        return QStringLiteral("image %1 %2 %3x%4 %5")
            .arg(op.box.x())
            .arg(op.box.y())
            .arg(op.image->width())
            .arg(op.image->height())
            .arg(QString::fromLatin1(QCryptographicHash::hash(bits, QCryptographicHash::Sha1).toHex()));
    }
    }
    return {};
}

} // namespace

QString Escaped(QString text)
{
    return text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"));
}

QStringList SerializeDrawing(const graphics::Drawing& drawing)
{
    QStringList out;
    out << QStringLiteral("size %1x%2 module %3 origin %4")
               .arg(drawing.size.width())
               .arg(drawing.size.height())
               .arg(N(drawing.module), N(drawing.moduleOrigin));
    for (const graphics::DrawOp& op : drawing.Ops())
        out << Op(op);
    return out;
}

QStringList SerializeSymbol(const graphics::Drawing& drawing, const core::Status& status, const QString& tag)
{
    QStringList out = SerializeDrawing(drawing);
    if (status.failed()) {
        const core::Failure& failure = status.failure();
        out << QStringLiteral("failure %1 inPicture=%2 |%3|").arg(failure.code).arg(failure.inPicture).arg(Escaped(failure.text));
    }
    if (!tag.isEmpty())
        out << QStringLiteral("tag |%1|").arg(Escaped(tag));
    return out;
}

} // namespace testsupport
