#include "symbols/Code128Encoding.h"

#include "core/Cp1252.h"
#include "symbols/Code128Table.h"

#include <optional>

namespace symbols {
namespace {

constexpr int kShift = 98;
constexpr int kDle = 16;
constexpr int kDleInCodeSetA = 80;

// The code-set-B value of a Windows-1252 code; character 16 is handled by
// the caller, as it takes two symbol characters.
std::optional<int> ValueOf(unsigned char code)
{
    if (code >= 32 && code <= 127)
        return code - 32;
    switch (code) {
    case 179: return 96;  // FNC3
    case 178: return 97;  // FNC2
    case 188: return 100; // FNC4
    case 185: return 102; // FNC1
    default: return std::nullopt;
    }
}

} // namespace

bool IsCode128Character(QChar c)
{
    const auto code = core::Cp1252Code(c);
    return code && (*code == kDle || ValueOf(*code));
}

Code128Symbol EncodeCode128(const QString& text, std::int32_t addCheckCharacter)
{
    Code128Symbol symbol;
    symbol.reserve(static_cast<std::size_t>(text.size()) + 3);
    symbol.push_back(kCode128StartB);
    // Positions and products are 64-bit and the sum is kept modulo 103, so
    // texts of any length encode correctly.
    std::int64_t sum = kCode128StartB;
    std::int64_t position = 0;
    auto add = [&](int v) {
        symbol.push_back(v);
        sum = (sum + ++position * v) % 103;
    };
    for (QChar c : text) {
        const auto code = core::Cp1252Code(c);
        if (!code)
            continue;
        if (*code == kDle) {
            add(kShift);
            add(kDleInCodeSetA);
        } else if (const auto v = ValueOf(*code)) {
            add(*v);
        }
    }
    if (addCheckCharacter == 1)
        symbol.push_back(static_cast<int>(sum));
    symbol.push_back(kCode128Stop);
    return symbol;
}

std::string_view Code128Pattern(int value)
{
    if (value < 0 || value > kCode128Stop)
        return {};
    return kCode128Patterns[static_cast<std::size_t>(value)];
}

Elements Code128Elements(const Code128Symbol& symbol)
{
    Elements elements;
    elements.reserve(symbol.size() * 6 + 1);
    for (int value : symbol) {
        bool bar = true; // every value's pattern starts with a bar
        for (char k : Code128Pattern(value)) {
            elements.push_back({bar, k - '0'});
            bar = !bar;
        }
    }
    return elements;
}

std::int64_t Code128Modules(const Code128Symbol& symbol)
{
    std::int64_t modules = 0;
    for (int v : symbol)
        for (char k : Code128Pattern(v))
            modules += k - '0';
    return modules;
}

} // namespace symbols
