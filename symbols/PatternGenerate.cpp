// Generate for "Code 128-1" and "Code 2/5": the bar-pattern renderer draws
// on the pattern surface at the whole-pixel module widths that come nearest
// the width asked in Text9.
#include "symbols/PatternGenerate.h"

#include "core/Numeric.h"
#include "core/Units.h"
#include "symbols/BarPattern.h"
#include "symbols/Generate.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace symbols {
namespace {

using graphics::Surface;

constexpr float kLeft = 1;
constexpr float kTop = 20;
constexpr double kBarHeightPerFactor = 10;   // Text8 1.4 gives bars 14 pixels high
constexpr double kDefaultHeightFactor = 1.4; // as the resize step falls back to
// Far beyond any surface; a larger height would only overflow the geometry.
constexpr double kMaxBarHeight = 1e6;

// Text9 asks for the width of the drawing that "800" shows, scaled by Text9 / 800.
constexpr int kUnscaledWidth = 800;
// The surfaces of the stretch are made at least this wide.
constexpr double kStretchSurfaceTwips = 20000;

float BarHeightFrom(std::optional<double> factor)
{
    double h = factor.value_or(kDefaultHeightFactor) * kBarHeightPerFactor;
    if (std::isnan(h))
        h = kDefaultHeightFactor * kBarHeightPerFactor;
    return static_cast<float>(std::clamp(h, -kMaxBarHeight, kMaxBarHeight));
}

// The width in pixels that Text9 asks the 800 drawn pixels to take, or
// nothing when the drawing stays as drawn: an empty text or one that is not
// a number, 800 itself, or a width under one pixel (zero or negative).
std::optional<int> StretchWidthFrom(std::optional<double> v)
{
    if (!v || std::isnan(*v) || *v == kUnscaledWidth)
        return std::nullopt;
    // Wider than the widest surface can't be shown anyway.
    const double n = core::RoundHalfEven(std::min(*v, double(Surface::kMaxPixels)));
    if (!(n >= 1))
        return std::nullopt;
    return static_cast<int>(n);
}

// The drawing Text9 "800" shows: two pixels a module, spaces drawn 1.3
// times as wide. Text9 scales its width; the symbol is drawn anew at the
// whole-pixel module widths that come nearest, since a scaled picture of
// it loses its narrow spaces (narrower) or repeats columns (wider).
constexpr double kReferenceModule = 2;
constexpr double kReferenceSpaceFactor = 1.3;

ModuleWidths WidthsFor(const QString& pattern, std::optional<double> text9)
{
    const PatternModules m = CountModules(pattern);
    const double reference = kReferenceModule * (m.bars + kReferenceSpaceFactor * m.spaces);
    const double scale = double(StretchWidthFrom(text9).value_or(kUnscaledWidth)) / kUnscaledWidth;
    return NearestModuleWidths(m, reference * scale);
}

// The right edge, in pixels, of what the renderer drew: the last bar or
// the end of the text, whichever reaches further.
double DrawnExtent(const graphics::Surface& box, const QString& text, const QString& pattern,
                   ModuleWidths widths, bool withText)
{
    double right = kLeft + PatternWidth(pattern, widths);
    if (withText)
        right = std::max(right, kLeft + box.TextWidth(text));
    return std::max(0.0, std::ceil(box.ToPixelX(right)));
}

} // namespace

core::Status DrawPatternSymbol(PatternEncoder encode, QString& text, const PatternSizes& sizes,
                               graphics::Surface& surface)
{
    surface.SetScaleMode(graphics::ScaleMode::Pixels); // the renderer draws in pixels here
    EncodedPattern encoded = encode(text);
    const QString& pattern = encoded.pattern;
    const ModuleWidths widths = WidthsFor(pattern, sizes.width);
    const float barHeight = BarHeightFrom(sizes.heightFactor);

    // A width asked of Text9 makes the surface at least 20000 twips wide,
    // as the stretch always has; a symbol wider than the surface widens it
    // further rather than be cut at its edge.
    if (StretchWidthFrom(sizes.width))
        surface.SetWidth(std::max(kStretchSurfaceTwips, surface.Width()));
    const double drawn = DrawnExtent(surface, text, pattern, widths, sizes.withText);
    if (drawn > Surface::kMaxPixels)
        return core::Failure{core::kTooLongToDraw, kTooLongToDraw};
    if (drawn > core::TwipsToPixels(surface.Width()))
        surface.SetWidth(core::PixelsToTwips(drawn));
    surface.Cls();
    DrawPattern(surface, {widths, barHeight, sizes.withText, encoded.bearers}, kLeft, kTop, text, pattern);
    return encoded.status;
}

} // namespace symbols
