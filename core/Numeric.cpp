#include "core/Numeric.h"

#include <QLocale>
#include <cmath>

namespace core {

std::optional<double> ParseNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = QLocale().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

double NumberOr(const QString& text, double fallback)
{
    return ParseNumber(text).value_or(fallback);
}

double RoundHalfEven(double v)
{
    return std::nearbyint(v); // default rounding mode is to nearest, ties to even
}

QString FormatNumber(double v)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString s = locale.toString(v, 'f', 15);
    const QString point = locale.decimalPoint();
    if (s.contains(point)) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(point))
            s.chop(point.size());
    }
    // Fifteen decimals can expose binary noise (2.5000000000000004); the
    // shortest round-tripping form is what a user typed.
    const QString shortest = locale.toString(v, 'g', QLocale::FloatingPointShortest);
    if (!shortest.contains(QLatin1Char('e')) && !shortest.contains(QLatin1Char('E')))
        return shortest;
    return s;
}

} // namespace core
