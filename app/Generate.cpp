#include "app/Generate.h"

#include "app/Code128Generate.h"
#include "app/PatternGenerate.h"
#include "platform/Numeric.h"
#include "symbologies/Code39.h"
#include "symbologies/Ean.h"
#include "symbologies/UpcA.h"

#include <array>

namespace app {
namespace {

using platform::Failure;

// A symbology that takes no symbol of this text draws nothing, and the
// window shows that as it is: an empty surface, or UPC's message in its box.
Failure NotDrawable(const QString& why) { return Failure{platform::kNotDrawable, why, true}; }

Generated Code128B(const SymbolRequest& r, GenerateSurfaces& s)
{
    SizePicture1(s.picture1, r.text8, r.text3);
    // The Code 39 drawing of the text sizes Picture1 for the engine, which
    // clears it at once: the sizing without the drawing.
    QString copy = r.text;
    symbologies::SizeCode39(copy, s.picture1, r.withText);
    auto failure = RunCode128Engine(r, s.picture1);
    return {failure ? nullptr : &s.picture1, failure, {}}; // an engine error draws nothing
}

Generated Code39(const SymbolRequest& r, GenerateSurfaces& s)
{
    SizePicture1(s.picture1, r.text8, r.text3);
    QString copy = r.text;
    if (symbologies::DrawCode39(copy, s.picture1, r.withText) <= s.picture1.PixelWidth())
        return {&s.picture1, {}, {}};
    // A symbol wider than the widest surface can't be drawn whole, and a
    // cut barcode scans wrong or not at all: nothing is drawn.
    s.picture1.Cls();
    return {nullptr, Failure{platform::kTooLongToDraw, kTooLongToDraw}, {}};
}

Generated Pattern(const QString& type, const SymbolRequest& r, platform::Surface& surface)
{
    QString text = r.text;
    platform::MaybeFailure failure;
    if (!DrawPatternSymbol(type, text, {r.text8, r.text9, r.withText}, surface, &failure)) {
        surface.Cls();
        return {nullptr, Failure{platform::kTooLongToDraw, kTooLongToDraw}, {}};
    }
    return {&surface, failure, {}};
}

Generated Code128_1(const SymbolRequest& r, GenerateSurfaces& s) { return Pattern(QStringLiteral("128"), r, s.picture5); }

Generated Code25(const SymbolRequest& r, GenerateSurfaces& s)
{
    if (r.text.size() < 2)
        return {nullptr, NotDrawable(QStringLiteral("Code 2/5 needs at least 2 characters")), {}};
    return Pattern(QStringLiteral("25"), r, s.picture5);
}

Generated Codabar(const SymbolRequest& r, GenerateSurfaces& s) { return Pattern(QStringLiteral("Codit"), r, s.picture5); }

Generated UpcA(const SymbolRequest& r, GenerateSurfaces& s)
{
    s.picture9.SetScaleMode(platform::ScaleMode::Twips); // the layout is in twips
    const int check = symbologies::DrawUpcA(s.picture9, r.text, r.withText);
    Generated g{&s.picture9, {}, QString::number(check)};
    if (!symbologies::IsUpcACode(r.text))
        g.failure = NotDrawable(symbologies::kUpcANot11Digits);
    return g;
}

Generated Ean(const SymbolRequest& r, GenerateSurfaces& s)
{
    // Text3 holds the bar length and Text8 the font size of this symbology.
    s.picture10.Tag = r.text;
    symbologies::FitEanScale(s.picture10, r.text3, r.text8);
    Generated g{&s.picture10, symbologies::DrawEan(s.picture10, r.text3, r.text8), {}};
    g.tag = s.picture10.Tag;
    if (r.text.size() < 7)
        g.failure = NotDrawable(QStringLiteral("EAN needs at least 7 characters"));
    return g;
}

constexpr std::array kRows{
    SymbologyRow{Symbology::Code128B, "code128b", "Code 128 B", Code128B},
    SymbologyRow{Symbology::Code39, "code39", "Code 39", Code39},
    SymbologyRow{Symbology::Code128_1, "code128-1", "Code 128-1", Code128_1},
    SymbologyRow{Symbology::Code25, "code25", "Code 2/5", Code25},
    SymbologyRow{Symbology::Codabar, "codabar", "Codabar", Codabar},
    SymbologyRow{Symbology::UpcA, "upca", "UPC", UpcA},
    SymbologyRow{Symbology::Ean, "ean", "EAN", Ean},
};

} // namespace

std::span<const SymbologyRow> Symbologies() { return kRows; }

const SymbologyRow& RowOf(Symbology symbology)
{
    for (const SymbologyRow& row : kRows)
        if (row.symbology == symbology)
            return row;
    return kRows[0];
}

std::optional<Symbology> SymbologyNamed(const QString& name)
{
    for (const SymbologyRow& row : kRows)
        if (name == QLatin1String(row.name))
            return row.symbology;
    return std::nullopt;
}

Generated GenerateOn(const SymbolRequest& request, GenerateSurfaces& surfaces)
{
    if (request.text.isEmpty())
        return {}; // an empty text draws nothing, and that is no failure
    return RowOf(request.symbology).draw(request, surfaces);
}

void SizePicture1(platform::Surface& picture1, const QString& text8, const QString& text3)
{
    picture1.SetScaleMode(platform::ScaleMode::Pixels);
    const double f = platform::NumberOr(text8, 1.4);
    const double s = platform::NumberOr(text3, 8);
    if (picture1.ScaleHeight() > 0)
        picture1.SetHeight(40 * f / picture1.ScaleHeight() * picture1.Height());
    picture1.SetFontSize(s);
}

Symbol GenerateSymbol(const SymbolRequest& request)
{
    auto make = [](const SurfaceGeometry& g) { return platform::Surface(g.left, g.top, g.width, g.height); };
    platform::Surface picture1 = make(kPicture1Geometry), picture5 = make(kPicture5Geometry),
                      picture9 = make(kPicture9Geometry), picture10 = make(kPicture10Geometry);
    GenerateSurfaces surfaces{picture1, picture5, picture9, picture10};
    const Generated g = GenerateOn(request, surfaces);
    Symbol symbol{{}, g.failure, g.tag};
    if (g.surface)
        symbol.drawing = g.surface->CurrentDrawing();
    return symbol;
}

} // namespace app
