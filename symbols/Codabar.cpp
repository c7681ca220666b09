#include "symbols/Codabar.h"

#include "symbols/PatternPiece.h"

#include <array>
#include <string_view>

namespace symbols {
namespace {

constexpr std::string_view kAlphabet = "1234567890-$:/.+ABCD";
constexpr std::array<std::string_view, 20> kPatterns = {
    "1111221", "1112112", "2211111", "1121121", "2111121", "1211112", "1211211", "1221111", "2112111", "1111122",
    "1112211", "1122111", "2111212", "2121112", "2121211", "1121212", "1122121", "1212112", "1112122", "1112221",
};
static_assert(kAlphabet.size() == kPatterns.size());

constexpr std::string_view kStartStop = "1122121"; // the character A
constexpr char kGap = '1';

constexpr std::string_view kStartStops = "ABCD";

} // namespace

CharacterFate CodabarFate(QChar c)
{
    if (c.unicode() >= 0x80)
        return CharacterFate::Dropped;
    const char code = static_cast<char>(c.unicode());
    if (kStartStops.find(code) != std::string_view::npos)
        return CharacterFate::Breaks;
    return kAlphabet.find(code) != std::string_view::npos ? CharacterFate::Kept : CharacterFate::Dropped;
}

QString CodabarPattern(const QString& text)
{
    QString pattern;
    pattern.reserve(8 * (text.size() + 1) + 7);
    AppendPattern(pattern, kStartStop);
    pattern += QLatin1Char(kGap);
    for (QChar c : text) {
        const auto k = c.unicode() < 0x80 ? kAlphabet.find(static_cast<char>(c.unicode())) : std::string_view::npos;
        if (k == std::string_view::npos)
            continue;
        AppendPattern(pattern, kPatterns[k]);
        pattern += QLatin1Char(kGap);
    }
    AppendPattern(pattern, kStartStop);
    return pattern;
}

} // namespace symbols
