#include "symbols/Generate.h"

#include "core/Numeric.h"
#include "symbols/SymbologyTable.h"

namespace symbols {

graphics::Surface& GenerateSurfaces::Of(SurfaceId id) const
{
    switch (id) {
    case SurfaceId::Code39: return code39;
    case SurfaceId::Pattern: return pattern;
    case SurfaceId::UpcA: return upcA;
    case SurfaceId::Ean: return ean;
    case SurfaceId::Library: return library;
    }
    qFatal("no surface %d to generate on", static_cast<int>(id));
}

SurfaceGeometry GeometryOf(SurfaceId id)
{
    switch (id) {
    case SurfaceId::Code39: return kCode39SurfaceGeometry;
    case SurfaceId::Pattern: return kPatternSurfaceGeometry;
    case SurfaceId::UpcA: return kUpcASurfaceGeometry;
    case SurfaceId::Ean: return kEanSurfaceGeometry;
    case SurfaceId::Library: return kLibrarySurfaceGeometry;
    }
    qFatal("no surface %d to generate on", static_cast<int>(id));
}

namespace {

// The row's drawing step on its surface: a caption below the bars is never
// cut off.
Generated DrawOn(const SymbologyRow& row, const SymbolRequest& request, graphics::Surface& surface)
{
    if (request.text.isEmpty())
        return {}; // an empty text draws nothing, and that is no failure
    Generated g = row.draw(row, request, surface);
    if (g.surface)
        g.surface->GrowToHold();
    return g;
}

} // namespace

Generated GenerateOn(const SymbolRequest& request, GenerateSurfaces& surfaces)
{
    const SymbologyRow& row = RowOf(request.symbology, request.table);
    return DrawOn(row, request, surfaces.Of(row.surface));
}

SymbolRequest ReadSizeFields(Symbology symbology, const QString& text, const QString& text8, const QString& text3,
                             const QString& text9, bool withText, SymbologyTable table)
{
    SymbolRequest r{symbology, text, core::ParseNumber(text8), core::ParseNumber(text3), std::nullopt,
                    core::ParseNumber(text9), withText, {}, table};
    if (RowOf(symbology, table).sizeBoxesSwapped) {
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
    const SymbologyRow& row = RowOf(request.symbology, request.table);
    const SurfaceGeometry g = GeometryOf(row.surface);
    graphics::Surface surface(g.left, g.top, g.width, g.height);
    const Generated drawn = DrawOn(row, request, surface);
    Symbol symbol{surface.CurrentDrawing(), drawn.status, drawn.tag, drawn.surface != nullptr};
    symbol.drawing.printSize = request.printSize;
    return symbol;
}

} // namespace symbols
