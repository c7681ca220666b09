#include "tests/support/Symbols.h"

#include "app/Code128Generate.h"
#include "app/PatternGenerate.h"
#include "platform/Units.h"
#include "symbologies/Code39.h"
#include "symbologies/Ean.h"
#include "symbologies/UpcA.h"

namespace testsupport {
namespace {

using ScanSymbology = symbologies::Symbology;

// "Code 128 B" as Generate draws it, on a box as wide as the symbol.
platform::Drawing DrawCode128Engine(const QString& text, bool withText)
{
    app::SymbolRequest r;
    r.text = text;
    r.withText = withText;
    platform::Surface box(240, 120, platform::PixelsToTwips(1), 855); // the engine widens it to the symbol
    box.SetScaleMode(platform::ScaleMode::Pixels);
    if (app::RunCode128Engine(r, box).failure)
        return {};
    return box.CurrentDrawing();
}

platform::Drawing DrawPattern(const char* type, const QString& text, bool withText)
{
    platform::Surface box(240, 120, 6615, 1095);
    QString t = text;
    if (!app::DrawPatternSymbol(QString::fromLatin1(type), t, {1.4, std::nullopt, withText}, box))
        return {};
    return box.CurrentDrawing();
}

} // namespace

platform::Drawing DrawSymbol(ScanSymbology symbology, const QString& text, bool withText)
{
    switch (symbology) {
    case ScanSymbology::Code128B:
        return DrawCode128Engine(text, withText);
    case ScanSymbology::Code39: {
        platform::Surface box(240, 120, 6615, 855);
        symbologies::DrawCode39(symbologies::EncodeCode39(text), box, withText);
        return box.CurrentDrawing();
    }
    case ScanSymbology::Code128_1:
        return DrawPattern("128", text, withText);
    case ScanSymbology::Code25:
        return DrawPattern("25", text, withText);
    case ScanSymbology::Codabar:
        return DrawPattern("Codit", text, withText);
    case ScanSymbology::UpcA: {
        platform::Surface box(240, 0, 5055, 1095);
        box.SetScaleMode(platform::ScaleMode::Twips);
        symbologies::DrawUpcA(box, symbologies::EncodeUpcA(text), withText);
        return box.CurrentDrawing();
    }
    case ScanSymbology::Ean: {
        platform::Surface box(720, 840, 3600, 1095);
        symbologies::FitEanScale(box, 8, 1.4);
        symbologies::DrawEan(box, text, 8, 1.4);
        return box.CurrentDrawing();
    }
    }
    return {};
}

platform::Drawing WithoutBar(const platform::Drawing& drawing, int n)
{
    platform::Drawing out;
    out.size = drawing.size;
    out.module = drawing.module;
    out.moduleOrigin = drawing.moduleOrigin;
    int bar = 0;
    for (const platform::DrawOp& op : drawing.Ops()) {
        const bool isBar = op.kind == platform::DrawOp::Kind::Fill && op.color != platform::kWhite;
        if (isBar && bar++ == n)
            continue;
        if (op.kind == platform::DrawOp::Kind::Fill)
            out.AddFill(op.box, op.color);
        else if (op.kind == platform::DrawOp::Kind::Text)
            out.AddText(op);
        else if (op.kind == platform::DrawOp::Kind::Line)
            out.AddLine(op.line, op.width, op.color);
        else
            out.AddImage(*op.image, op.box.topLeft());
    }
    return out;
}

} // namespace testsupport
