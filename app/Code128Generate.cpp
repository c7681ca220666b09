#include "app/Code128Generate.h"

#include "code128engine/Code128Engine.h"
#include "platform/Gdi.h"
#include "platform/Numeric.h"
#include "platform/Units.h"

#include <limits>

namespace app {

code128engine::Code128Params code128Request;

std::int32_t EngineFontSize(std::optional<double> v)
{
    if (!v)
        return 0;
    const double r = platform::RoundHalfEven(*v);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(r);
}

platform::MaybeFailure RunCode128Engine(const SymbolRequest& request, platform::Surface& picture1)
{
    picture1.Cls();

    auto& r = code128Request;
    r.BackColor = platform::RGB(255, 255, 255);
    r.BarColor = platform::RGB(0, 0, 0);
    r.Alignment = 1;
    r.CaptionGap = 4;
    r.BarHeight = 40;
    r.Left = 2;
    r.Reserved3 = 1;
    r.Reserved4 = 1;
    r.TotalHeight = 0;
    r.TotalWidth = 0;
    r.Rotation = 0;
    r.AddCheckCharacter = 1;
    r.FontStyle = 0;
    r.Top = 1;
    r.CaptionPosition = 1;
    r.ModuleWidth = 1;
    r.FontSize = EngineFontSize(request.fontSize);
    r.Reserved1.clear();
    r.Caption = request.withText ? request.text : QString();
    r.Reserved2.clear();
    r.Text = request.text;
    r.Symbology = code128engine::kCode128Symbology;
    r.TextColor = platform::RGB(0, 0, 0);
    r.FontName = QStringLiteral("MS Sans Serif");

    auto draw = [&] {
        platform::SurfaceDC dc(picture1);
        return code128engine::DrawCode128(r, &dc);
    };
    std::int32_t code = draw();
    // Picture1 comes with the width of the Code 39 drawing of the text, in
    // which characters Code 39 lacks take no room; rather than cut the
    // symbol off, widen the box to the drawn area and draw again.
    const std::int64_t needed = std::int64_t(r.Left) + r.TotalWidth + 2; // background right edge
    if (code == code128engine::kCode128Ok && needed > picture1.PixelWidth()) {
        picture1.SetWidth(platform::PixelsToTwips(static_cast<double>(needed)));
        picture1.Cls();
        r.TotalWidth = 0;
        r.TotalHeight = 0;
        code = draw();
    }
    if (code == code128engine::kCode128Ok && needed > platform::Surface::kMaxPixels) {
        picture1.Cls();
        return platform::Failure{platform::kTooLongToDraw, kTooLongToDraw};
    }
    picture1.SetModule(r.ModuleWidth); // the engine draws in pixels here
    if (code != code128engine::kCode128Ok) {
        picture1.Cls();
        return platform::Failure{code, code128engine::Code128ErrorMessage(code)};
    }
    return std::nullopt;
}

} // namespace app
