// The Code 128 symbol character table: for every value 0..106 the element
// widths in modules, bar first. One copy serves the pattern encoder and the
// layout engine.
#pragma once

#include <array>
#include <string_view>

namespace symbols {

inline constexpr std::array<std::string_view, 107> kCode128Patterns = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213", // 0
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132", // 10
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211", // 20
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313", // 30
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331", // 40
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111", // 50
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214", // 60
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", // 70
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141", // 80
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141", // 90
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112",                             // 100
};

inline constexpr int kCode128StartB = 104;
inline constexpr int kCode128Stop = 106;

namespace detail {
constexpr int Modules(std::string_view p)
{
    int n = 0;
    for (char c : p)
        n += c - '0';
    return n;
}
constexpr bool EveryCharacterIsElevenModules()
{
    for (int v = 0; v < kCode128Stop; ++v)
        if (kCode128Patterns[v].size() != 6 || Modules(kCode128Patterns[v]) != 11)
            return false;
    return true;
}
} // namespace detail

static_assert(kCode128Patterns.size() == 107);
static_assert(detail::EveryCharacterIsElevenModules());
static_assert(detail::Modules(kCode128Patterns[kCode128Stop]) == 13);

} // namespace symbols
