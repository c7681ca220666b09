// Colours packed as red + 256 * green + 65536 * blue, the form the drawers
// and the layout engine's parameter record use.
#pragma once

#include <QColor>
#include <cstdint>

namespace graphics {

using Rgb = std::int32_t;

constexpr Rgb RGB(int r, int g, int b) { return r + 256 * g + 65536 * b; }
inline constexpr Rgb kBlack = 0;
inline constexpr Rgb kWhite = RGB(255, 255, 255);

inline QColor ToQColor(Rgb c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

} // namespace graphics
