// The Code 128 layout engine: validates a parameter record, measures the
// symbol, and draws background, bars and caption on a device context.
#pragma once

#include "code128engine/Code128Params.h"
#include "platform/Gdi.h"

#include <QString>
#include <cstdint>

namespace code128engine {

// The first failing field check, then the character check, which overrides
// it; 0 when the record may be drawn.
std::int32_t ValidateCode128(const Code128Params& params);

struct Code128Extent {
    std::int64_t height = 0;
    std::int64_t width = 0;
};

// Height (the bar height) and width of the bars alone; both 0 for a
// rotated symbol. Draws nothing.
Code128Extent MeasureCode128(const Code128Params& params, platform::HDC dc);

// Validates and draws; returns 0 or an error code, and nothing is drawn on
// an error. After a drawing with Rotation 0 the record's TotalWidth and
// TotalHeight hold the size of the filled area; otherwise the record is
// left as it was. Every GDI object created is deleted before returning.
std::int32_t DrawCode128(Code128Params& params, platform::HDC dc);

// The one message for every engine error, whatever the code; the caller shows it.
QString Code128ErrorMessage(std::int32_t code);

// The address the error message asks the user to write to.
inline constexpr const char* kSupportAddress = "support@quorvane.example";

} // namespace code128engine
