#include "symbols/Interleaved25.h"

#include "symbols/PatternPiece.h"

#include <array>
#include <string_view>

namespace symbols {
namespace {

using core::RunTimeError;

// Bar or space widths of the digits 0..9, five elements each.
constexpr std::array<std::string_view, 10> kDigitWidths = {
    "11331", "31113", "13113", "33111", "11313", "31311", "13311", "11133", "31131", "13131",
};

// Every digit has five elements, two of them wide.
constexpr bool EveryDigitIsTwoOfFive()
{
    for (auto w : kDigitWidths) {
        int wide = 0;
        for (char c : w)
            wide += c == '3';
        if (w.size() != 5 || wide != 2)
            return false;
    }
    return true;
}
static_assert(EveryDigitIsTwoOfFive());

constexpr std::string_view kStart = "1111";
constexpr std::string_view kStop = "311";

} // namespace

Interleaved25Result Interleaved25Pattern(const QString& text)
{
    Interleaved25Result result;
    result.pattern.reserve(kStart.size() + 5 * text.size() + kStop.size());
    AppendPattern(result.pattern, kStart);

    // One slot per character; a slot stays empty for a character that is
    // not a digit. A digit with no slot left fails before anything is paired.
    std::array<std::string_view, kInterleaved25MaxLength> byPosition{};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            continue;
        if (i >= kInterleaved25MaxLength) {
            result.status = core::RunTimeFailure(RunTimeError::SubscriptOutOfRange);
            return result;
        }
        byPosition[static_cast<std::size_t>(i)] = kDigitWidths[c - u'0'];
    }

    // Pairs until the end of the text; an odd length runs past it into an
    // empty or missing slot and fails there, as any gap does.
    for (qsizetype i = 0; i != text.size(); i += 2) {
        if (i + 1 >= kInterleaved25MaxLength || byPosition[i].empty() || byPosition[i + 1].empty()) {
            result.status = core::RunTimeFailure(RunTimeError::SubscriptOutOfRange);
            return result;
        }
        for (std::size_t n = 0; n < 5; ++n) {
            result.pattern += QLatin1Char(byPosition[i][n]);
            result.pattern += QLatin1Char(byPosition[i + 1][n]);
        }
    }
    AppendPattern(result.pattern, kStop);
    return result;
}

} // namespace symbols
