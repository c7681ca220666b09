#include "symbols/LeftOut.h"

#include <QStringView>

namespace symbols {
namespace {

// Calls `each` with every character of the text (a surrogate pair is one)
// and its place from 1; stops when `each` returns false.
template <class Each>
void ForEachCharacter(const QString& typed, Each each)
{
    qsizetype place = 0;
    for (qsizetype i = 0; i < typed.size(); ++place) {
        const qsizetype n = typed[i].isHighSurrogate() && i + 1 < typed.size() && typed[i + 1].isLowSurrogate() ? 2 : 1;
        if (!each(QStringView(typed).mid(i, n), place + 1))
            return;
        i += n;
    }
}

} // namespace

HeldText HeldBy(const QString& typed, CharacterRule rule)
{
    HeldText held;
    if (!rule.fate) {
        held.text = typed;
        return held;
    }
    ForEachCharacter(typed, [&](QStringView character, qsizetype place) {
        const QString drawn = rule.upperCases ? character.toString().toUpper() : character.toString();
        for (QChar c : drawn) {
            const CharacterFate fate = rule.fate(c);
            if (fate == CharacterFate::Kept) {
                held.text += c;
                continue;
            }
            // A character that breaks the symbol is named before one left
            // out earlier: it is why there is no symbol at all.
            const bool breaks = fate == CharacterFate::Breaks;
            if (held.first.isEmpty() || (breaks && !held.breaks)) {
                held.first = character.toString();
                held.position = place;
                held.breaks = breaks;
            }
        }
        return true;
    });
    return held;
}

HeldText FirstNotEncoded(const QString& typed, bool (*encodes)(QChar c))
{
    HeldText held;
    ForEachCharacter(typed, [&](QStringView character, qsizetype place) {
        for (QChar c : character) {
            if (!encodes(c)) {
                held.first = character.toString();
                held.position = place;
                return false;
            }
        }
        return true;
    });
    return held;
}

namespace {

bool IsControl(QChar c) { return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format; }

QString CodeOf(QChar c) { return QStringLiteral("U+%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0')).toUpper(); }

} // namespace

QString CantEncode(const QString& caption, const HeldText& held)
{
    const QChar c = held.first.isEmpty() ? QChar() : held.first.front();
    const QString shown = IsControl(c) ? CodeOf(c) : QStringLiteral("\"%1\"").arg(held.first);
    return QStringLiteral("%1 can't encode %2 (character %3)").arg(caption, shown).arg(held.position);
}

QString ControlsShown(const QString& text)
{
    QString shown;
    for (QChar c : text)
        shown += IsControl(c) ? QLatin1Char('<') + CodeOf(c) + QLatin1Char('>') : QString(c);
    return shown;
}

} // namespace symbols
