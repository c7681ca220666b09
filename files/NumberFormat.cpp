#include "files/NumberFormat.h"

#include <QDate>
#include <QList>
#include <algorithm>
#include <cmath>

namespace files {
namespace {

// The built-in formats of ECMA-376 (18.8.30), as an English-language
// program shows them; 27 to 36 and 50 to 58 are East Asian dates and times.
struct Builtin {
    int id;
    const char* code;
};
constexpr Builtin kBuiltins[] = {
    {0, "General"},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {5, "$#,##0_);($#,##0)"},
    {6, "$#,##0_);[Red]($#,##0)"},
    {7, "$#,##0.00_);($#,##0.00)"},
    {8, "$#,##0.00_);[Red]($#,##0.00)"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/??"},
    {14, "mm-dd-yy"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "m/d/yy h:mm"},
    {32, "h:mm"},
    {33, "h:mm:ss"},
    {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},
    {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mmss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
};

enum class Kind {
    Literal,
    Zero, // 0: a digit, or a zero
    Hash, // #: a digit, or nothing
    Space, // ?: a digit, or a space
    Point,
    Comma,
    Percent,
    Exponent, // E+ or E-
    Text, // @
    General,
    Year,
    Month, // or minutes, by its neighbours
    Day,
    Hour,
    Second,
    AmPm,
    Elapsed, // [h], [m] or [s]
};

struct Token {
    Kind kind;
    QString text; // a literal's text; the letter of an exponent sign or elapsed unit
};

bool IsDigit(Kind k) { return k == Kind::Zero || k == Kind::Hash || k == Kind::Space; }
bool IsDatePart(Kind k) { return k >= Kind::Year && k <= Kind::Elapsed; }

struct Section {
    QList<Token> tokens;
    QString refused; // why it can't be shown; empty when it can
    bool hasText = false;
    bool isDate = false;
};

const QString kColours[] = {QStringLiteral("black"), QStringLiteral("blue"),    QStringLiteral("cyan"),
                            QStringLiteral("green"), QStringLiteral("magenta"), QStringLiteral("red"),
                            QStringLiteral("white"), QStringLiteral("yellow")};

QList<QStringView> SplitSections(QStringView code)
{
    QList<QStringView> sections;
    qsizetype start = 0;
    bool quoted = false, bracket = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (quoted) {
            quoted = c != u'"';
        } else if (bracket) {
            bracket = c != u']';
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u'[') {
            bracket = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u';') {
            sections.append(code.sliced(start, i - start));
            start = i + 1;
        }
    }
    sections.append(code.sliced(start));
    return sections;
}

Section Parse(QStringView code)
{
    Section s;
    const auto literal = [&](const QString& text) {
        if (!s.tokens.isEmpty() && s.tokens.back().kind == Kind::Literal)
            s.tokens.back().text += text;
        else
            s.tokens.append({Kind::Literal, text});
    };
    const auto refuse = [&](const QString& why) {
        if (s.refused.isEmpty())
            s.refused = why;
    };
    const qsizetype n = code.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = code[i];
        const QChar lower = c.toLower();
        const auto run = [&](QChar letter) {
            qsizetype j = i;
            while (j < n && code[j].toLower() == letter)
                ++j;
            const qsizetype length = j - i;
            i = j - 1;
            return length;
        };
        if (c == u'"') {
            const qsizetype end = code.indexOf(u'"', i + 1);
            literal(code.sliced(i + 1, (end < 0 ? n : end) - i - 1).toString());
            i = end < 0 ? n : end;
        } else if (c == u'\\') {
            if (i + 1 < n)
                literal(code[++i]);
        } else if (c == u'_') {
            ++i; // as wide as the next character: a space
            literal(QStringLiteral(" "));
        } else if (c == u'*') {
            ++i; // fills the cell's width, which a label does not have
        } else if (c == u'[') {
            const qsizetype end = code.indexOf(u']', i + 1);
            const QString inside = code.sliced(i + 1, (end < 0 ? n : end) - i - 1).toString();
            i = end < 0 ? n : end;
            const QString low = inside.toLower();
            if (low.startsWith(u'$')) {
                literal(inside.mid(1).section(u'-', 0, 0)); // [$€-407]: the symbol
            } else if (!low.isEmpty() && (low.count(u'h') == low.size() || low.count(u'm') == low.size() ||
                                          low.count(u's') == low.size())) {
                s.tokens.append({Kind::Elapsed, low.left(1)});
            } else if (std::find(std::begin(kColours), std::end(kColours), low) != std::end(kColours) ||
                       low.startsWith(QLatin1String("color"))) {
                // a colour: the label is printed in one
            } else if (low.startsWith(u'<') || low.startsWith(u'>') || low.startsWith(u'=')) {
                refuse(QStringLiteral("it chooses by a condition ([%1])").arg(inside));
            } else {
                refuse(QStringLiteral("of its part [%1]").arg(inside));
            }
        } else if (c == u'0') {
            s.tokens.append({Kind::Zero, {}});
        } else if (c == u'#') {
            s.tokens.append({Kind::Hash, {}});
        } else if (c == u'?') {
            s.tokens.append({Kind::Space, {}});
        } else if (c == u'.') {
            const bool hasPoint =
                std::any_of(s.tokens.begin(), s.tokens.end(), [](const Token& t) { return t.kind == Kind::Point; });
            if (hasPoint)
                literal(QStringLiteral("."));
            else
                s.tokens.append({Kind::Point, {}});
        } else if (c == u',') {
            s.tokens.append({Kind::Comma, {}});
        } else if (c == u'%') {
            s.tokens.append({Kind::Percent, {}});
        } else if (lower == u'e' && i + 1 < n && (code[i + 1] == u'+' || code[i + 1] == u'-')) {
            s.tokens.append({Kind::Exponent, code[++i]});
        } else if (c == u'@') {
            s.tokens.append({Kind::Text, {}});
            s.hasText = true;
        } else if (code.sliced(i).startsWith(QLatin1String("general"), Qt::CaseInsensitive)) {
            s.tokens.append({Kind::General, {}});
            i += 6;
        } else if (code.sliced(i).startsWith(QLatin1String("am/pm"), Qt::CaseInsensitive)) {
            s.tokens.append({Kind::AmPm, {}});
            i += 4;
        } else if (code.sliced(i).startsWith(QLatin1String("a/p"), Qt::CaseInsensitive)) {
            s.tokens.append({Kind::AmPm, {}});
            i += 2;
        } else if (lower == u'y' || lower == u'e') {
            run(lower);
            s.tokens.append({Kind::Year, {}});
        } else if (lower == u'm') {
            run(lower);
            s.tokens.append({Kind::Month, {}});
        } else if (lower == u'd') {
            run(lower);
            s.tokens.append({Kind::Day, {}});
        } else if (lower == u'h') {
            run(lower);
            s.tokens.append({Kind::Hour, {}});
        } else if (lower == u's') {
            run(lower);
            s.tokens.append({Kind::Second, {}});
        } else if (lower == u'b' || lower == u'g') {
            refuse(QStringLiteral("it counts years in another calendar"));
        } else {
            literal(c);
        }
    }
    s.isDate = std::any_of(s.tokens.begin(), s.tokens.end(), [](const Token& t) { return IsDatePart(t.kind); });
    const bool digits = std::any_of(s.tokens.begin(), s.tokens.end(), [](const Token& t) { return IsDigit(t.kind); });
    if (!s.isDate && digits && std::any_of(s.tokens.begin(), s.tokens.end(), [](const Token& t) {
            return t.kind == Kind::Literal && t.text.contains(u'/');
        }))
        refuse(QStringLiteral("it writes fractions"));
    return s;
}

// A number in decimal digits, rounded half away from zero at `decimals`
// places after the point, from its 15 significant digits (the precision
// spreadsheets show): 2.675 gives 2.68, as it does on screen.
struct Decimal {
    QString whole; // without leading zeros: "" for zero
    QString fraction; // exactly `decimals` digits
};

Decimal Round(double value, int decimals)
{
    Decimal d;
    value = std::fabs(value);
    if (value == 0 || !std::isfinite(value)) {
        d.fraction = QString(decimals, u'0');
        return d;
    }
    const QString e = QString::number(value, 'e', 14); // d.ddddddddddddddde±XX
    QString digits = e.left(1) + e.mid(2, 14);
    int exponent = e.mid(e.indexOf(u'e') + 1).toInt();
    // The digits that stay: those before the point and `decimals` after it.
    const qsizetype keep = exponent + 1 + decimals;
    if (keep < 0) {
        d.fraction = QString(decimals, u'0');
        return d;
    }
    if (keep < digits.size()) {
        const bool up = digits[keep] >= u'5';
        digits.truncate(keep);
        if (up) {
            qsizetype i = keep - 1;
            for (; i >= 0 && digits[i] == u'9'; --i)
                digits[i] = u'0';
            if (i >= 0) {
                digits[i] = QChar(digits[i].unicode() + 1);
            } else {
                digits.prepend(u'1');
                ++exponent;
            }
        }
    }
    // Place the point: `exponent + 1` digits before it.
    const qsizetype before = exponent + 1;
    if (before <= 0) {
        digits = QString(-before, u'0') + digits;
        d.fraction = digits;
    } else {
        if (digits.size() < before)
            digits += QString(before - digits.size(), u'0');
        d.whole = digits.left(before);
        d.fraction = digits.mid(before);
    }
    if (d.fraction.size() < decimals)
        d.fraction += QString(decimals - d.fraction.size(), u'0');
    d.fraction.truncate(decimals);
    while (d.whole.startsWith(u'0'))
        d.whole.remove(0, 1);
    return d;
}

// --- Numbers ---

QString Number(const Section& s, double value)
{
    const QList<Token>& t = s.tokens;
    // The parts: the integer digits up to the point (or the exponent), the
    // decimals after the point, the exponent's digits after E.
    const auto find = [&](Kind k) {
        for (qsizetype i = 0; i < t.size(); ++i)
            if (t[i].kind == k)
                return i;
        return qsizetype(-1);
    };
    const qsizetype exponentAt = find(Kind::Exponent);
    const qsizetype numberEnd = exponentAt >= 0 ? exponentAt : t.size();
    qsizetype pointAt = find(Kind::Point);
    if (pointAt > numberEnd)
        pointAt = -1;
    const qsizetype wholeEnd = pointAt >= 0 ? pointAt : numberEnd;

    int decimals = 0, wholeDigits = 0, exponentDigits = 0;
    bool hashInWhole = false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (!IsDigit(t[i].kind))
            continue;
        if (i < wholeEnd)
            ++wholeDigits, hashInWhole |= t[i].kind == Kind::Hash;
        else if (i < numberEnd)
            ++decimals;
        else
            ++exponentDigits;
    }
    // A comma between digits groups thousands; commas after the last digit
    // of the number divide it by a thousand each.
    bool grouping = false;
    int thousands = 0;
    qsizetype lastDigit = -1;
    for (qsizetype i = 0; i < numberEnd; ++i)
        if (IsDigit(t[i].kind))
            lastDigit = i;
    for (qsizetype i = 0; i < numberEnd; ++i) {
        if (t[i].kind != Kind::Comma)
            continue;
        const bool digitBefore = std::any_of(t.begin(), t.begin() + i, [](const Token& x) { return IsDigit(x.kind); });
        if (digitBefore && i < lastDigit && i < wholeEnd)
            grouping = true;
        else if (digitBefore && i > lastDigit)
            ++thousands;
    }
    const int percents = int(std::count_if(t.begin(), t.end(), [](const Token& x) { return x.kind == Kind::Percent; }));
    double v = std::fabs(value) * std::pow(100.0, percents) / std::pow(1000.0, thousands);

    int exponent = 0;
    Decimal d;
    if (exponentAt >= 0) {
        const int step = hashInWhole && wholeDigits > 1 ? wholeDigits : 1;
        const int lead = step > 1 ? 1 : std::max(wholeDigits, 1);
        const auto scale = [&] {
            if (v == 0)
                return;
            const int e10 = int(std::floor(std::log10(v)));
            exponent = step > 1 ? int(std::floor(double(e10) / step)) * step : e10 - (lead - 1);
        };
        scale();
        d = Round(v / std::pow(10.0, exponent), decimals);
        // Rounding up may carry into one more digit: 9.99 -> 10.0 -> 1.00E+1.
        if (v != 0 && d.whole.size() > (step > 1 ? step : lead)) {
            exponent += step;
            d = Round(v / std::pow(10.0, exponent), decimals);
        }
    } else {
        d = Round(v, decimals);
    }

    // The whole part, from the right: each digit placeholder takes a digit,
    // the leftmost all that are left.
    QString whole;
    qsizetype next = d.whole.size() - 1; // the digit to place, from the right
    int placed = 0; // digits placed, for grouping
    const auto put = [&](QChar digit) {
        if (grouping && placed > 0 && placed % 3 == 0)
            whole.prepend(u',');
        whole.prepend(digit);
        ++placed;
    };
    qsizetype firstDigit = -1;
    for (qsizetype i = 0; i < wholeEnd; ++i)
        if (IsDigit(t[i].kind)) {
            firstDigit = i;
            break;
        }
    for (qsizetype i = wholeEnd - 1; i >= 0; --i) {
        const Token& token = t[i];
        if (IsDigit(token.kind)) {
            if (next >= 0) {
                put(d.whole[next--]);
                if (i == firstDigit)
                    while (next >= 0)
                        put(d.whole[next--]);
            } else if (token.kind == Kind::Zero) {
                put(u'0');
            } else if (token.kind == Kind::Space) {
                whole.prepend(u' ');
            }
        } else if (token.kind == Kind::Literal) {
            whole.prepend(token.text);
        } else if (token.kind == Kind::Percent) {
            whole.prepend(u'%');
        } else if (token.kind == Kind::General) {
            whole.prepend(GeneralNumber(v));
        }
    }
    if (firstDigit < 0 && (decimals > 0 || exponentAt >= 0))
        whole.append(d.whole); // no digit placeholder before the point (".00"): the digits still show

    // The decimals and what follows, from the left.
    QString rest;
    qsizetype lastShown = d.fraction.size() - 1; // the last decimal that is not a trailing zero
    while (lastShown >= 0 && d.fraction[lastShown] == u'0')
        --lastShown;
    int decimal = 0;
    QString exponentText;
    if (exponentAt >= 0) {
        const QString digits = QString::number(std::abs(exponent)).rightJustified(exponentDigits, u'0');
        exponentText = QStringLiteral("E") +
                       (exponent < 0                 ? QStringLiteral("-")
                        : t[exponentAt].text == u'+' ? QStringLiteral("+")
                                                     : QString()) +
                       digits;
    }
    for (qsizetype i = wholeEnd; i < t.size(); ++i) {
        const Token& token = t[i];
        if (i < numberEnd && IsDigit(token.kind)) {
            const QChar digit = d.fraction[decimal];
            if (decimal <= lastShown || token.kind == Kind::Zero)
                rest += digit;
            else if (token.kind == Kind::Space)
                rest += u' ';
            ++decimal;
        } else if (i == exponentAt) {
            rest += exponentText;
        } else if (i > exponentAt && exponentAt >= 0 && IsDigit(token.kind)) {
            // written with the exponent
        } else if (token.kind == Kind::Point) {
            rest += u'.';
        } else if (token.kind == Kind::Literal) {
            rest += token.text;
        } else if (token.kind == Kind::Percent) {
            rest += u'%';
        } else if (token.kind == Kind::General) {
            rest += GeneralNumber(v);
        }
    }
    return whole + rest;
}

// --- Dates ---

QString DateTime(const Section& s, double value, DateSystem system, QString& refused)
{
    if (value < 0 || !std::isfinite(value)) {
        refused = QStringLiteral("it shows a date, and %1 is no date").arg(GeneralNumber(value));
        return {};
    }
    const QList<Token>& t = s.tokens;
    bool date = false, time = false, seconds = false;
    QString elapsed;
    for (qsizetype i = 0; i < t.size(); ++i) {
        switch (t[i].kind) {
        case Kind::Year:
        case Kind::Day:
            date = true;
            break;
        case Kind::Hour:
            time = true;
            break;
        case Kind::Second:
            time = seconds = true;
            break;
        case Kind::Elapsed:
            time = true;
            seconds |= t[i].text == u's';
            elapsed = t[i].text;
            break;
        case Kind::Month: {
            // Minutes when it follows hours or comes before seconds.
            qsizetype before = i - 1, after = i + 1;
            while (before >= 0 && !IsDatePart(t[before].kind))
                --before;
            while (after < t.size() && !IsDatePart(t[after].kind))
                ++after;
            const bool minutes = (before >= 0 && (t[before].kind == Kind::Hour ||
                                                  (t[before].kind == Kind::Elapsed && t[before].text == u'h'))) ||
                                 (after < t.size() && t[after].kind == Kind::Second);
            (minutes ? time : date) = true;
            break;
        }
        default:
            break;
        }
    }
    qint64 days = qint64(std::floor(value));
    qint64 secs = std::llround((value - double(days)) * 86400);
    if (secs == 86400)
        ++days, secs = 0;
    QString out;
    if (!elapsed.isEmpty()) {
        const qint64 total = days * 86400 + secs;
        if (elapsed == u'h')
            out = QStringLiteral("%1:%2").arg(total / 3600).arg(total / 60 % 60, 2, 10, QLatin1Char('0'));
        else if (elapsed == u'm')
            out = QString::number(total / 60);
        else
            return QString::number(total);
        if (seconds)
            out += QStringLiteral(":%1").arg(total % 60, 2, 10, QLatin1Char('0'));
        return out;
    }
    if (date) {
        if (system == DateSystem::From1904)
            out = QDate(1904, 1, 1).addDays(days).toString(Qt::ISODate);
        else if (days == 60)
            out = QStringLiteral("1900-02-29"); // the day that never was, as the sheet shows it
        else
            out = QDate(1899, 12, days < 60 ? 31 : 30).addDays(days).toString(Qt::ISODate);
    }
    if (time) {
        if (!out.isEmpty())
            out += u' ';
        out += QStringLiteral("%1:%2")
                   .arg(secs / 3600, 2, 10, QLatin1Char('0'))
                   .arg(secs / 60 % 60, 2, 10, QLatin1Char('0'));
        if (seconds)
            out += QStringLiteral(":%1").arg(secs % 60, 2, 10, QLatin1Char('0'));
    }
    return out;
}

// The sections for numbers: the first for all, or for positive numbers and
// zero with a second for negative numbers, or a third for zero.
struct Chosen {
    QStringView code;
    bool minus; // the section shows no sign of its own
};

Chosen Choose(const QList<QStringView>& sections, double value)
{
    qsizetype numeric = sections.size();
    if (numeric == 4 || (numeric > 1 && Parse(sections.back()).hasText))
        --numeric;
    if (numeric <= 1 || value > 0)
        return {sections[0], value < 0};
    if (value < 0)
        return {sections[1], false};
    return {sections[numeric >= 3 ? 2 : 0], false};
}

} // namespace

QString BuiltinNumberFormat(int id)
{
    for (const Builtin& b : kBuiltins)
        if (b.id == id)
            return QString::fromLatin1(b.code);
    if ((id >= 27 && id <= 31) || (id >= 34 && id <= 36) || (id >= 50 && id <= 58))
        return QStringLiteral("yyyy-mm-dd");
    return {};
}

core::Result<QString> FormatNumber(double value, QStringView code, DateSystem dates)
{
    const auto sections = SplitSections(code);
    const Chosen chosen = Choose(sections, value);
    const Section s = Parse(chosen.code);
    const auto refused = [&](const QString& why) {
        return core::Failure{
            core::kCannotRead,
            QStringLiteral("the number format \"%1\" can't be shown, because %2.").arg(code.toString(), why)};
    };
    if (!s.refused.isEmpty())
        return refused(s.refused);
    if (s.isDate) {
        QString why;
        const QString text = DateTime(s, value, dates, why);
        if (!why.isEmpty())
            return refused(why);
        return text;
    }
    // A text format shows a number as General does.
    const bool numeric = std::any_of(s.tokens.begin(), s.tokens.end(),
                                     [](const Token& t) { return IsDigit(t.kind) || t.kind == Kind::General; });
    if (s.hasText || (s.tokens.isEmpty() && chosen.code.trimmed().isEmpty() && sections.size() == 1))
        return GeneralNumber(value);
    QString text = Number(s, value);
    if (chosen.minus && numeric &&
        std::any_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; }))
        text.prepend(u'-');
    return text;
}

QString FormatText(const QString& text, QStringView code)
{
    const auto sections = SplitSections(code);
    const qsizetype at = sections.size() == 4 ? 3 : sections.size() - 1;
    const Section s = Parse(sections[at]);
    if (!s.hasText || !s.refused.isEmpty())
        return text;
    QString out;
    for (const Token& t : s.tokens)
        out += t.kind == Kind::Text ? text : t.kind == Kind::Literal ? t.text : QString();
    return out;
}

QString GeneralNumber(double value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    const QString e = QString::number(std::fabs(value), 'e', 14);
    const int exponent = e.mid(e.indexOf(u'e') + 1).toInt();
    QString text;
    if (exponent >= 15 || exponent < -9) {
        QString mantissa = e.left(e.indexOf(u'e'));
        while (mantissa.endsWith(u'0'))
            mantissa.chop(1);
        if (mantissa.endsWith(u'.'))
            mantissa.chop(1);
        text = mantissa + QStringLiteral("E") + (exponent < 0 ? u'-' : u'+') +
               QString::number(std::abs(exponent)).rightJustified(2, u'0');
    } else {
        const Decimal d = Round(value, std::max(0, 14 - exponent));
        QString fraction = d.fraction;
        while (fraction.endsWith(u'0'))
            fraction.chop(1);
        text = (d.whole.isEmpty() ? QStringLiteral("0") : d.whole) +
               (fraction.isEmpty() ? QString() : QStringLiteral(".") + fraction);
    }
    return value < 0 ? QStringLiteral("-") + text : text;
}

} // namespace files
