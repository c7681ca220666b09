#include "symbols/Code128Generate.h"

#include "core/Numeric.h"
#include "core/Units.h"
#include "graphics/Gdi.h"
#include "symbols/Code128Engine.h"

#include <limits>

namespace symbols {

std::int32_t EngineFontSize(std::optional<double> v)
{
    if (!v)
        return 0;
    const double r = core::RoundHalfEven(*v);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(r);
}

Code128Params Code128Record(const SymbolRequest& request)
{
    Code128Params r;
    r.BackColor = graphics::RGB(255, 255, 255);
    r.BarColor = graphics::RGB(0, 0, 0);
    r.Alignment = 1;
    r.CaptionGap = 4;
    r.BarHeight = 40;
    r.Left = 2;
    r.Reserved3 = 1;
    r.Reserved4 = 1;
    r.Rotation = 0;
    r.AddCheckCharacter = 1;
    r.FontStyle = 0;
    r.Top = 1;
    r.CaptionPosition = 1;
    r.ModuleWidth = 1;
    r.FontSize = EngineFontSize(request.fontSize);
    r.Caption = request.withText ? request.text : QString();
    r.Text = request.text;
    r.Symbology = kCode128Symbology;
    r.TextColor = graphics::RGB(0, 0, 0);
    r.FontName = QStringLiteral("MS Sans Serif");
    return r;
}

core::Result<Code128Area> RunCode128Engine(const SymbolRequest& request, graphics::Surface& surface)
{
    surface.Cls();
    const Code128Params record = Code128Record(request);
    const core::Result<Elements> encoded = EncodeCode128Record(record);
    if (encoded.failed())
        return encoded.failure(); // nothing is drawn

    auto draw = [&] {
        graphics::SurfaceDC dc(surface);
        return DrawCode128(record, *encoded, &dc);
    };
    Code128Area area = draw();
    // The surface comes with the width of the Code 39 drawing of the text, in
    // which characters Code 39 lacks take no room; rather than cut the
    // symbol off, widen the box to the drawn area and draw again.
    const std::int64_t needed = std::int64_t(record.Left) + area.width + 2; // background right edge
    if (needed > surface.PixelWidth()) {
        surface.SetWidth(core::PixelsToTwips(static_cast<double>(needed)));
        surface.Cls();
        area = draw();
    }
    if (needed > graphics::Surface::kMaxPixels) {
        surface.Cls();
        return core::Failure{core::kTooLongToDraw, kTooLongToDraw};
    }
    surface.SetModule(record.ModuleWidth); // the engine draws in pixels here
    return area;
}

} // namespace symbols
