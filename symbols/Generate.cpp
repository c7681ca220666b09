#include "symbols/Generate.h"

#include "core/Numeric.h"
#include "symbols/SymbologyTable.h"

namespace symbols {
Generated GenerateOn(const SymbolRequest& request, GenerateSurfaces& surfaces)
{
    if (request.text.isEmpty())
        return {}; // an empty text draws nothing, and that is no failure
    Generated g = RowOf(request.symbology).draw(request, surfaces);
    if (g.surface)
        g.surface->GrowToHold(); // a caption below the bars is never cut off
    return g;
}

SymbolRequest ReadSizeFields(Symbology symbology, const QString& text, const QString& text8, const QString& text3,
                             const QString& text9, bool withText)
{
    SymbolRequest r{symbology, text, core::ParseNumber(text8), core::ParseNumber(text3), std::nullopt,
                    core::ParseNumber(text9), withText, {}};
    if (RowOf(symbology).sizeBoxesSwapped) {
        r.fontSize = r.heightFactor;
        r.barLength = core::ParseNumber(text3);
        r.heightFactor.reset();
    }
    return r;
}

void SizeCode39Surface(graphics::Surface& surface, SizeField heightFactor, SizeField fontSize)
{
    surface.SetScaleMode(graphics::ScaleMode::Pixels);
    const double f = heightFactor.value_or(1.4);
    const double s = fontSize.value_or(8);
    if (surface.ScaleHeight() > 0)
        surface.SetHeight(40 * f / surface.ScaleHeight() * surface.Height());
    surface.SetFontSize(s);
}

Symbol GenerateSymbol(const SymbolRequest& request)
{
    auto make = [](const SurfaceGeometry& g) { return graphics::Surface(g.left, g.top, g.width, g.height); };
    graphics::Surface code39 = make(kCode39SurfaceGeometry), pattern = make(kPatternSurfaceGeometry),
                      upcA = make(kUpcASurfaceGeometry), ean = make(kEanSurfaceGeometry),
                      library = make(kLibrarySurfaceGeometry);
    GenerateSurfaces surfaces{code39, pattern, upcA, ean, library};
    const Generated g = GenerateOn(request, surfaces);
    const graphics::Surface* drawnOn[] = {&code39, &pattern, &upcA, &ean, &library};
    const graphics::Surface& surface = *drawnOn[static_cast<int>(RowOf(request.symbology).surface)];
    return Symbol{surface.CurrentDrawing(), g.status, g.tag, g.surface != nullptr};
}

} // namespace symbols
