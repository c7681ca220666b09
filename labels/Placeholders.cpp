#include "labels/Placeholders.h"

#include "labels/Label.h"
#include "symbols/Gs1CheckDigit.h"

#include <QStringList>
#include <algorithm>
#include <limits>

namespace labels {
namespace {

// Day offsets beyond this are a typing error, not a best-before date (and
// QDate has no day a million years on).
constexpr qint64 kMaxDays = 100000;
// Wider padding than this is a typing error too.
constexpr int kMaxWidth = 64;

core::Failure Fail(const QString& text) { return core::Failure{core::kBadPlaceholder, text}; }

QString At(int position) { return QStringLiteral("the placeholder at character %1").arg(position); }

// "%05d", "%5d", "%d": the width and whether it pads with zeros; false for
// anything else.
bool ParseNumberFormat(const QString& modifier, int& width, bool& zeros)
{
    if (modifier.size() < 2 || modifier.front() != QLatin1Char('%') || modifier.back() != QLatin1Char('d'))
        return false;
    QString digits = modifier.mid(1, modifier.size() - 2);
    zeros = digits.startsWith(QLatin1Char('0'));
    if (zeros)
        digits.remove(0, 1);
    width = 0;
    if (digits.isEmpty())
        return !zeros; // "%0d" says nothing
    bool ok = false;
    width = digits.toInt(&ok);
    return ok && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }) &&
           width >= 1 && width <= kMaxWidth;
}

QString Padded(qint64 value, int width, bool zeros)
{
    if (!zeros)
        return QStringLiteral("%1").arg(value, width, 10, QLatin1Char(' '));
    // printf's "%05d" of -42 is "-0042": the sign counts in the width.
    const QString digits = QString::number(value < 0 ? -static_cast<quint64>(value) : static_cast<quint64>(value));
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    return sign + QString(std::max<qsizetype>(0, width - sign.size() - digits.size()), QLatin1Char('0')) + digits;
}

// The digits with their GS1 check digit appended, or nothing when the text
// is not all digits.
std::optional<QString> WithCheckDigit(const QString& digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    std::vector<int> values;
    values.reserve(static_cast<size_t>(digits.size()));
    for (QChar c : digits) {
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return std::nullopt;
        values.push_back(symbols::Gs1DigitValue(c));
    }
    return digits + QChar(u'0' + symbols::Gs1CheckDigit(values));
}

} // namespace

core::Result<Template> Template::Parse(const QString& text)
{
    Template t;
    QString literal;
    auto endLiteral = [&] {
        if (literal.isEmpty())
            return;
        Piece p;
        p.text = literal;
        t.pieces_.push_back(std::move(p));
        literal.clear();
    };
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] != QLatin1Char('$') || i + 1 >= text.size() || text[i + 1] != QLatin1Char('{')) {
            literal += text[i++];
            continue;
        }
        const int position = static_cast<int>(i + 1);
        const qsizetype close = text.indexOf(QLatin1Char('}'), i + 2);
        if (close < 0)
            return Fail(QStringLiteral("%1 has no closing \"}\"").arg(At(position)));
        const QString body = text.mid(i + 2, close - i - 2);
        i = close + 1;
        if (body.contains(QLatin1String("${")))
            return Fail(QStringLiteral("%1 holds another \"${\" before its \"}\" (a literal \"$\" is written ${$})")
                            .arg(At(position)));
        const qsizetype colon = body.indexOf(QLatin1Char(':'));
        const QString name = colon < 0 ? body : body.left(colon);
        const bool modified = colon >= 0;
        const QString modifier = modified ? body.mid(colon + 1) : QString();
        if (name.isEmpty())
            return Fail(QStringLiteral("%1 names nothing").arg(At(position)));
        if (name == QLatin1String("$")) {
            if (modified)
                return Fail(QStringLiteral("%1 is a literal \"$\" and takes no format").arg(At(position)));
            literal += QLatin1Char('$');
            continue;
        }
        endLiteral();
        t.plain_ = false;
        Piece p;
        p.position = position;
        if (name == QLatin1String("date") || name.startsWith(QLatin1String("date+")) ||
            name.startsWith(QLatin1String("date-"))) {
            p.kind = Piece::Kind::Date;
            if (name.size() > 4) {
                const QString offset = name.mid(4);
                bool ok = false;
                p.days = offset.mid(1).toLongLong(&ok);
                ok = ok && offset.size() > 1 &&
                     std::all_of(offset.begin() + 1, offset.end(), [](QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; });
                if (!ok || p.days > kMaxDays)
                    return Fail(QStringLiteral("%1 has the day offset \"%2\", which is not a whole number of days "
                                               "up to %3")
                                    .arg(At(position), offset)
                                    .arg(kMaxDays));
                if (offset.front() == QLatin1Char('-'))
                    p.days = -p.days;
            }
            p.text = modifier.isEmpty() ? QStringLiteral("yyyy-MM-dd") : modifier;
            t.pieces_.push_back(std::move(p));
            continue;
        }
        p.kind = name == QLatin1String("n")        ? Piece::Kind::Run
                 : name == QLatin1String("#")      ? Piece::Kind::Record
                 : name == QLatin1String("serial") ? Piece::Kind::Serial
                                                   : Piece::Kind::Field;
        if (p.kind == Piece::Kind::Field)
            p.text = name;
        if (modified) {
            if (modifier.startsWith(QLatin1Char('='))) {
                if (p.kind != Piece::Kind::Field)
                    return Fail(QStringLiteral("%1 gives a text for an empty value, but ${%2} is never empty")
                                    .arg(At(position), name));
                p.hasFallback = true;
                p.fallback = modifier.mid(1);
            } else if (modifier == QLatin1String("check")) {
                p.format = Piece::Format::Check;
            } else if (ParseNumberFormat(modifier, p.width, p.zeros)) {
                p.format = Piece::Format::Number;
            } else {
                return Fail(QStringLiteral("%1 has the format \"%2\", which is none of =TEXT, check, %d, %5d "
                                           "and %05d")
                                .arg(At(position), modifier));
            }
        }
        t.pieces_.push_back(std::move(p));
    }
    endLiteral();
    return t;
}

core::Result<QString> Template::Fill(const FillContext& c) const
{
    if (pieces_.size() == 1 && pieces_.front().kind == Piece::Kind::Literal)
        return pieces_.front().text; // shares the text, no copy
    QString out;
    out.reserve(64);
    for (const Piece& p : pieces_) {
        std::optional<qint64> number;
        QString value;
        switch (p.kind) {
        case Piece::Kind::Literal:
            out += p.text;
            continue;
        case Piece::Kind::Run:
            number = c.run;
            break;
        case Piece::Kind::Record:
            number = c.record;
            break;
        case Piece::Kind::Serial: {
            qint64 serial = 0;
            if (__builtin_mul_overflow(c.serialStep, c.record - 1, &serial) ||
                __builtin_add_overflow(serial, c.serialStart, &serial))
                return Fail(QStringLiteral("the serial number of record %1 (%2 + %3 x %4) is too large for %5")
                                .arg(c.record)
                                .arg(c.serialStart)
                                .arg(c.serialStep)
                                .arg(c.record - 1)
                                .arg(At(p.position)));
            number = serial;
            break;
        }
        case Piece::Kind::Date: {
            const QDate day = c.today.addDays(p.days);
            if (!day.isValid())
                return Fail(QStringLiteral("%1 has no date: no day was given for today").arg(At(p.position)));
            out += day.toString(p.text);
            continue;
        }
        case Piece::Kind::Field: {
            const auto it = std::find(c.fieldNames.begin(), c.fieldNames.end(), p.text);
            if (it == c.fieldNames.end())
                return Fail(QStringLiteral("there is no field \"%1\" for %2; %3")
                                .arg(p.text, At(p.position), FieldList(c.fieldNames)));
            const size_t index = static_cast<size_t>(it - c.fieldNames.begin());
            value = index < c.fieldValues.size() ? c.fieldValues[index] : QString();
            if (p.hasFallback && value.isEmpty())
                value = p.fallback;
            break;
        }
        }
        if (p.format == Piece::Format::AsIs) {
            out += number ? QString::number(*number) : value;
            continue;
        }
        const QString digits = number ? QString::number(*number) : value.trimmed();
        if (p.format == Piece::Format::Check) {
            const std::optional<QString> checked = WithCheckDigit(digits);
            if (!checked)
                return Fail(QStringLiteral("the value \"%1\" for %2 is not digits to append a check digit to")
                                .arg(number ? digits : value, At(p.position)));
            out += *checked;
            continue;
        }
        if (!number) {
            bool ok = false;
            number = digits.toLongLong(&ok);
            if (!ok || digits.isEmpty())
                return Fail(QStringLiteral("the value \"%1\" of the field \"%2\" for %3 is not a whole number")
                                .arg(value, p.text, At(p.position)));
        }
        out += Padded(*number, p.width, p.zeros);
    }
    return out;
}

std::vector<QString> Template::Fields() const
{
    std::vector<QString> names;
    for (const Piece& p : pieces_)
        if (p.kind == Piece::Kind::Field && std::find(names.begin(), names.end(), p.text) == names.end())
            names.push_back(p.text);
    return names;
}

QString FieldList(std::span<const QString> names)
{
    if (names.empty())
        return QStringLiteral("the record has no fields");
    QStringList quoted;
    for (const QString& n : names)
        quoted << QLatin1Char('"') + n + QLatin1Char('"');
    if (quoted.size() == 1)
        return QStringLiteral("the only field is %1").arg(quoted.front());
    const QString last = quoted.takeLast();
    return QStringLiteral("the fields are %1 and %2").arg(quoted.join(QStringLiteral(", ")), last);
}


core::Result<QString> FillText(const QString& text, const FillContext& context)
{
    core::Result<Template> t = Template::Parse(text);
    if (t.failed())
        return t.failure();
    return t->Fill(context);
}

} // namespace labels
