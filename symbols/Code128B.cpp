#include "symbols/Code128B.h"

#include "symbols/Code128Table.h"
#include "symbols/PatternPiece.h"

namespace symbols {
namespace {

constexpr int kFirstCode = 32; // blank, value 0
constexpr int kLastCode = 126; // ~, value 94
constexpr int kCheckModulus = 103;

} // namespace

int Code128BValue(QChar c)
{
    const int code = c.unicode();
    return code >= kFirstCode && code <= kLastCode ? code - kFirstCode : -1;
}

CharacterFate Code128BFate(QChar c) { return Code128BValue(c) >= 0 ? CharacterFate::Kept : CharacterFate::Dropped; }

QString Code128BPattern(const QString& text)
{
    QString pattern;
    pattern.reserve(6 * (text.size() + 2) + 7);
    AppendPattern(pattern, kCode128Patterns[kCode128StartB]);

    // The start character weighs 1; each encoded character weighs its
    // position. Kept reduced as it grows, so no text is too long for it.
    int sum = kCode128StartB % kCheckModulus;
    int position = 0;
    for (QChar c : text) {
        const int v = Code128BValue(c);
        if (v < 0)
            continue;
        position = (position + 1) % kCheckModulus;
        sum = (sum + v * position) % kCheckModulus;
        AppendPattern(pattern, kCode128Patterns[v]);
    }
    AppendPattern(pattern, kCode128Patterns[sum]);
    AppendPattern(pattern, kCode128Patterns[kCode128Stop]);
    return pattern;
}

} // namespace symbols
