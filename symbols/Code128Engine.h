// The Code 128 layout engine in two steps: a pure one that checks a
// parameter record and encodes its text into bars and spaces, and one that
// lays those out (background, bars and caption) on a device context.
#pragma once

#include "core/Result.h"
#include "graphics/Gdi.h"
#include "symbols/Code128Params.h"
#include "symbols/Element.h"

#include <QString>
#include <cstdint>

namespace symbols {

// The first failing field check, then the character check, which overrides
// it, as a failure with the engine's code and its one message (followed by
// the first character it does not take, and where); none when the record
// may be drawn.
core::Status ValidateCode128(const Code128Params& params);

// What the record's text encodes as: the symbol's bars and spaces, bar
// first, in modules (none for an empty text, which draws nothing), or the
// failure ValidateCode128 gives.
core::Result<Elements> EncodeCode128Record(const Code128Params& params);

// The size of the area a drawing filled, background and caption included.
struct Code128Area {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Code128Area&, const Code128Area&) = default;
};

// Lays the elements out as the record says; draws nothing without
// elements or for a record whose fields fail their checks. Only Rotation 0 draws bars and caption and returns the filled
// area; any other draws the background alone and returns no area. Every
// GDI object created is deleted before returning.
Code128Area DrawCode128(const Code128Params& params, const Elements& elements, graphics::HDC dc);

// The one message for every engine error, whatever the code.
QString Code128ErrorMessage(std::int32_t code);

// The address the error message asks the user to write to.
inline constexpr const char* kSupportAddress = "support@quorvane.example";

} // namespace symbols
