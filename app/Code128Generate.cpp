#include "app/Code128Generate.h"

#include "code128engine/Code128Engine.h"
#include "platform/Gdi.h"
#include "platform/Numeric.h"
#include "platform/Units.h"

#include <limits>

namespace app {

std::int32_t EngineFontSize(std::optional<double> v)
{
    if (!v)
        return 0;
    const double r = platform::RoundHalfEven(*v);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(r);
}

code128engine::Code128Params Code128Record(const SymbolRequest& request)
{
    code128engine::Code128Params r;
    r.BackColor = platform::RGB(255, 255, 255);
    r.BarColor = platform::RGB(0, 0, 0);
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
    r.Symbology = code128engine::kCode128Symbology;
    r.TextColor = platform::RGB(0, 0, 0);
    r.FontName = QStringLiteral("MS Sans Serif");
    return r;
}

Code128Drawn RunCode128Engine(const SymbolRequest& request, platform::Surface& picture1)
{
    picture1.Cls();
    const code128engine::Code128Params record = Code128Record(request);
    const code128engine::Code128Encoded encoded = code128engine::EncodeCode128Record(record);
    if (encoded.failure)
        return {{}, encoded.failure}; // nothing is drawn

    auto draw = [&] {
        platform::SurfaceDC dc(picture1);
        return code128engine::DrawCode128(record, encoded.elements, &dc);
    };
    code128engine::Code128Area area = draw();
    // Picture1 comes with the width of the Code 39 drawing of the text, in
    // which characters Code 39 lacks take no room; rather than cut the
    // symbol off, widen the box to the drawn area and draw again.
    const std::int64_t needed = std::int64_t(record.Left) + area.width + 2; // background right edge
    if (needed > picture1.PixelWidth()) {
        picture1.SetWidth(platform::PixelsToTwips(static_cast<double>(needed)));
        picture1.Cls();
        area = draw();
    }
    if (needed > platform::Surface::kMaxPixels) {
        picture1.Cls();
        return {{}, platform::Failure{platform::kTooLongToDraw, kTooLongToDraw}};
    }
    picture1.SetModule(record.ModuleWidth); // the engine draws in pixels here
    return {area, std::nullopt};
}

} // namespace app
