#include "symbols/Generate.h"

#include "core/Numeric.h"
#include "symbols/SymbologyTable.h"

#include <optional>

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

// A drawer that leaves out what it can't encode still needs something to
// encode, and a character drawn as a start or stop character inside the
// symbol leaves bars that do not read: either is no symbol at all.
std::optional<core::Failure> NothingHeld(const SymbologyRow& row, const QString& text)
{
    if (!row.leavesOut.fate)
        return std::nullopt;
    const HeldText held = HeldBy(text, row.leavesOut);
    const QString cant = CantEncode(QLatin1String(row.caption), held);
    if (held.breaks)
        return core::Failure{core::kNotDrawable,
                             cant + QStringLiteral(": it is drawn as a start or stop character, and the bars after it do not read")};
    if (held.text.isEmpty())
        return core::Failure{core::kNotDrawable,
                             cant + QStringLiteral(", nor any other character of the text: the symbol would hold only its start and stop")};
    return std::nullopt;
}

// The row's drawing step on its surface: a caption below the bars is never
// cut off.
Generated DrawOn(const SymbologyRow& row, const SymbolRequest& request, graphics::Surface& surface)
{
    if (request.text.isEmpty())
        return {}; // an empty text draws nothing, and that is no failure
    if (std::optional<core::Failure> nothing = NothingHeld(row, request.text))
        return {nullptr, std::move(*nothing), {}};
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
                    core::ParseNumber(text9), withText, {}, table, {}};
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
