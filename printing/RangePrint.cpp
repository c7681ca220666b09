#include "printing/RangePrint.h"

#include "core/Numeric.h"
#include "services/Clock.h"
#include "services/EventPump.h"
#include "services/Termination.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace printing {

namespace {

bool AllDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

std::optional<qint64> PlainWholeNumber(const QString& text)
{
    if (!AllDigits(text.startsWith(QLatin1Char('-')) ? QStringView(text).mid(1) : QStringView(text)))
        return std::nullopt;
    bool ok = false;
    const qint64 n = text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

QString RangeFieldProblem(const QString& field, const QString& text)
{
    if (PlainWholeNumber(text))
        return {};
    if (text.isEmpty())
        return QStringLiteral("%1 is empty: a range needs a whole number there.").arg(field);
    const QString digits = text.startsWith(QLatin1Char('-')) ? text.mid(1) : text;
    if (AllDigits(digits))
        return QStringLiteral("%1 is %2: too large a number to count; the largest is %3.")
            .arg(field, text)
            .arg(std::numeric_limits<qint64>::max());
    return QStringLiteral("%1 is \"%2\": a range counts in whole numbers written in digits only (such as 7 or 0007), "
                          "with no blanks, exponents or decimals.")
        .arg(field, text);
}

QString RangeProblem(const QString& fromText, const QString& toText, const QString& fromField, const QString& toField)
{
    const QString from = RangeFieldProblem(fromField, fromText);
    return from.isEmpty() ? RangeFieldProblem(toField, toText) : from;
}

QString EmptyRange(const RangeBounds& range, const QString& fromField, const QString& toField)
{
    if (range.HasNext())
        return {};
    return QStringLiteral("There are no labels from %1 up to %2: %3 must be below %4.")
        .arg(range.from)
        .arg(range.to)
        .arg(fromField, toField);
}

std::optional<RangeBounds> ReadRange(const QString& fromText, const QString& toText)
{
    const auto from = PlainWholeNumber(fromText);
    const auto to = PlainWholeNumber(toText);
    if (!from || !to)
        return std::nullopt;
    return RangeBounds{*from, *to};
}

QString LabelText(const QString& prefix, const QString& fromText) { return prefix + fromText; }

QString NextFrom(qint64 from, const QString& typed)
{
    const QString next = QString::number(from + 1);
    const QString digits = typed.trimmed();
    const bool padded = digits.size() > 1 && digits.startsWith(QLatin1Char('0')) &&
                        std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    const bool whole = !next.isEmpty() && std::all_of(next.begin(), next.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return padded && whole ? next.rightJustified(digits.size(), QLatin1Char('0')) : next;
}

void Pause(int seconds, services::Clock& clock, const services::EventPump& pump)
{
    const double start = clock.Seconds();
    while (clock.Seconds() - start < seconds && !services::TerminationRequested()) {
        services::Pump(pump);
        // A short rest between rounds keeps the wait from taking a whole core.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace printing
