#include "tests/support/Symbols.h"

#include "core/Units.h"
#include "symbols/Code128Generate.h"
#include "symbols/Code39.h"
#include "symbols/Ean.h"
#include "symbols/PatternGenerate.h"
#include "symbols/UpcA.h"

namespace testsupport {
namespace {

using ScanSymbology = symbols::Symbology;

// "Code 128 B" as Generate draws it, on a box as wide as the symbol.
graphics::Drawing DrawCode128Engine(const QString& text, bool withText)
{
    symbols::SymbolRequest r;
    r.text = text;
    r.withText = withText;
    graphics::Surface box(240, 120, core::PixelsToTwips(1), 855); // the engine widens it to the symbol
    box.SetScaleMode(graphics::ScaleMode::Pixels);
    if (symbols::RunCode128Engine(r, box).failed())
        return {};
    return box.CurrentDrawing();
}

graphics::Drawing DrawPattern(symbols::PatternEncoder encode, const QString& text, bool withText)
{
    graphics::Surface box(240, 120, 6615, 1095);
    QString t = text;
    const core::Status drawn = symbols::DrawPatternSymbol(encode, t, {1.4, std::nullopt, withText}, box);
    if (drawn.failed() && drawn.failure().code == core::kTooLongToDraw)
        return {};
    return box.CurrentDrawing();
}

} // namespace

graphics::Drawing DrawSymbol(ScanSymbology symbology, const QString& text, bool withText)
{
    switch (symbology) {
    case ScanSymbology::Code128B:
        return DrawCode128Engine(text, withText);
    case ScanSymbology::Code39: {
        graphics::Surface box(240, 120, 6615, 855);
        symbols::DrawCode39(symbols::EncodeCode39(text), box, withText);
        return box.CurrentDrawing();
    }
    case ScanSymbology::Code128_1:
        return DrawPattern(symbols::Code128BPatternOf, text, withText);
    case ScanSymbology::Code25:
        return DrawPattern(symbols::Interleaved25PatternOf, text, withText);
    case ScanSymbology::Codabar:
        return DrawPattern(symbols::CodabarPatternOf, text, withText);
    case ScanSymbology::UpcA: {
        graphics::Surface box(240, 0, 5055, 1095);
        box.SetScaleMode(graphics::ScaleMode::Twips);
        symbols::DrawUpcA(box, symbols::EncodeUpcA(text), withText);
        return box.CurrentDrawing();
    }
    case ScanSymbology::Ean: {
        graphics::Surface box(720, 840, 3600, 1095);
        symbols::FitEanScale(box, 8, 1.4);
        symbols::DrawEan(box, text, 8, 1.4);
        return box.CurrentDrawing();
    }
    default: // libzint's symbologies have no drawer of their own: GenerateSymbol draws them
        break;
    }
    return {};
}

graphics::Drawing WithoutBar(const graphics::Drawing& drawing, int n)
{
    graphics::Drawing out;
    out.size = drawing.size;
    out.module = drawing.module;
    out.moduleOrigin = drawing.moduleOrigin;
    int bar = 0;
    for (const graphics::DrawOp& op : drawing.Ops()) {
        const bool isBar = op.kind == graphics::DrawOp::Kind::Fill && op.color != graphics::kWhite;
        if (isBar && bar++ == n)
            continue;
        if (op.kind == graphics::DrawOp::Kind::Fill)
            out.AddFill(op.box, op.color);
        else if (op.kind == graphics::DrawOp::Kind::Text)
            out.AddText(op);
        else if (op.kind == graphics::DrawOp::Kind::Line)
            out.AddLine(op.line, op.width, op.color);
        else
            out.AddImage(*op.image, op.box.topLeft());
    }
    return out;
}

} // namespace testsupport
