// The layout engine's parameter record and its error codes. The record is
// what a caller fills to have one Code 128 symbol with an optional caption
// drawn on a device context; lengths and coordinates are device units.
#pragma once

#include "graphics/Color.h"

#include <QString>
#include <cstdint>

namespace symbols {

struct Code128Params {
    QString Text;      // data; Windows-1252 characters 32..127, 16, 178, 179, 185, 188
    QString Reserved1; // not read
    QString Reserved2; // not read
    QString Caption;   // human-readable text; empty: none
    QString FontName;  // caption face, 1..30 characters
    std::int32_t Symbology = 0;       // must be 16 (Code 128)
    std::int32_t Alignment = 0;       // caption: 1 left, 2 centre, 3 right, 4 justified
    std::int32_t CaptionPosition = 0; // 1 below the bars, 2 above
    std::int32_t FontSize = 0;        // points, > 0
    std::int32_t FontStyle = 0;       // bits: 1 bold, 2 italic, 4 underline, 8 strikeout
    std::int32_t BarHeight = 0;       // > 0
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t ModuleWidth = 0; // > 0
    std::int32_t CaptionGap = 0;  // between bars and caption
    std::int32_t Reserved3 = 0;   // not read
    std::int32_t Reserved4 = 0;   // not read
    std::int32_t Rotation = 0;    // 0..3; only 0 draws bars and caption
    graphics::Rgb BarColor = 0;
    graphics::Rgb BackColor = 0;
    graphics::Rgb TextColor = 0;
    std::int32_t AddCheckCharacter = 0; // 1: draw the modulo-103 check character

    friend bool operator==(const Code128Params&, const Code128Params&) = default;
};

inline constexpr std::int32_t kCode128Symbology = 16;

// The codes of the engine's failures (kCode128Ok: none).
inline constexpr std::int32_t kCode128Ok = 0;
inline constexpr std::int32_t kBadModuleWidth = 54541;
inline constexpr std::int32_t kBadBarHeight = 54542;
inline constexpr std::int32_t kBadSymbology = 54543;
inline constexpr std::int32_t kBadFont = 54544; // size, name, style or rotation
inline constexpr std::int32_t kBadAlignment = 54546;
inline constexpr std::int32_t kBadCaptionPosition = 54547;
inline constexpr std::int32_t kBadCharacter = 54548;

} // namespace symbols
