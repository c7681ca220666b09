#include "symbols/BarPattern.h"

#include "symbols/BarLayout.h"

#include "symbols/Codabar.h"
#include "symbols/Code128B.h"
#include "symbols/Interleaved25.h"

#include <algorithm>
#include <cmath>

namespace symbols {

namespace {

constexpr float kTextSize = 16;
constexpr double kTextGapFactor = 1.2; // the text starts at top x 1.2 below the bars

// Element i (from 0) of a pattern is a bar when i is even.
inline bool IsBar(qsizetype i) { return i % 2 == 0; }

inline int Modules(QChar digit) { return digit.unicode() - u'0'; }

inline int ElementWidth(qsizetype i, QChar digit, ModuleWidths widths)
{
    return Modules(digit) * (IsBar(i) ? widths.bar : widths.space);
}

// Spaces one unit wider than bars are read from this bar width on.
constexpr int kWiderSpacesFrom = 3;

// Interleaved 2 of 5 has no check character: a scan line that enters or
// leaves the symbol through its top or bottom edge can read a part of it
// as a shorter symbol. Bearer bars across the top and the bottom of the
// bars break such a line for a reader that thresholds the picture
// (zxing-cpp: short reads of turned symbols went from one in three to none).
constexpr int kBearerBar = 2;

// A reader that finds edges by the slope of the brightness (zbar) does not
// see the bearer: a slightly turned scan line crosses the edge between a
// space and the bearer so slowly that the space seems to run on through
// the bearer into the white beyond, which reads as the quiet zone after a
// stop pattern. A tooth from the bearer into the middle of every space of
// three pixels and more splits the space where the line leaves it, and the
// split space is no character. Measured on printed pages turned 1 to 3.5
// degrees, rasterised at 600 dpi: zbar's short reads went from 56 in 777
// reads (Text9 500 to 800) and 83 in 440 (1000 to 1600) to none in 957.
// A space of two pixels has no middle third; at two pixels a module zbar
// still read 1 in 1,151 turned symbols short, a line that ends in a bearer
// right after a wide bar and a narrow space (zbar takes a bar too wide to
// measure for a narrow one there).
constexpr int kTooth = 1;

// The middle third of a space, at least a pixel wide.
int ToothWidth(int space)
{
    return std::max(1, static_cast<int>(std::lround(space / 3.0)));
}

} // namespace

EncodedPattern Code128BPatternOf(QString& text) { return {Code128BPattern(text), {}}; }

EncodedPattern Interleaved25PatternOf(QString& text)
{
    if (text.size() % 2 != 0)
        text += QLatin1Char('0');
    Interleaved25Result r = Interleaved25Pattern(text);
    return {std::move(r.pattern), std::move(r.status), true};
}

EncodedPattern CodabarPatternOf(QString& text)
{
    text = text.toUpper();
    return {CodabarPattern(text), {}};
}

PatternModules CountModules(const QString& pattern)
{
    PatternModules m;
    for (qsizetype i = 0; i < pattern.size(); ++i)
        (IsBar(i) ? m.bars : m.spaces) += Modules(pattern[i]);
    return m;
}

double PatternWidth(const QString& pattern, ModuleWidths widths)
{
    // The last element is a bar, so the drawing reaches the end of the pattern.
    const PatternModules m = CountModules(pattern);
    return double(m.bars) * widths.bar + double(m.spaces) * widths.space;
}

ModuleWidths NearestModuleWidths(PatternModules modules, double target)
{
    const double bars = modules.bars, spaces = modules.spaces;
    auto width = [&](ModuleWidths w) { return bars * w.bar + spaces * w.space; };
    ModuleWidths best{1, 1};
    if (!(target > 0) || bars + spaces <= 0)
        return best;
    // Wide enough a range of bar widths to hold the nearest; capped so that
    // an absurd target can't loop for long.
    const int most = static_cast<int>(std::min(target / (bars + spaces) + 2, 1e6));
    for (int b = 1; b <= most; ++b) {
        for (ModuleWidths w : {ModuleWidths{b, b}, ModuleWidths{b, b + 1}}) {
            if (w.space > w.bar && b < kWiderSpacesFrom)
                continue;
            if (std::abs(width(w) - target) < std::abs(width(best) - target))
                best = w;
        }
    }
    return best;
}

void DrawPattern(graphics::Surface& surface, const PatternStyle& style, float left, float top, const QString& text,
                 const QString& pattern)
{
    const ModuleWidths widths = style.widths;
    // Geometry that is not a number would draw nothing sensible; the surface
    // is left as it is.
    if (!std::isfinite(style.barHeight) || !std::isfinite(left) || !std::isfinite(top) || widths.bar < 1 ||
        widths.space < 1)
        return;

    // Printing puts a module on whole dots; with spaces wider than bars the
    // common unit is one pixel of the surface.
    surface.SetModule(widths.bar == widths.space ? widths.bar : 1, left);
    const double x = LayOutBars(surface, ElementsOfPattern(pattern), left, top, top + style.barHeight,
                                BarWidths{double(widths.bar), double(widths.space)}, false);

    if (style.bearers && !pattern.isEmpty()) {
        const double bearer = kBearerBar / std::max(surface.PixelsPerUnitY(), 1e-9);
        surface.LineBoxFilled(left, top - bearer, x, top, graphics::kBlack);
        surface.LineBoxFilled(left, top + style.barHeight, x, top + style.barHeight + bearer, graphics::kBlack);
        const double tooth = kTooth / std::max(surface.PixelsPerUnitY(), 1e-9);
        double spaceLeft = left;
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            const int w = ElementWidth(i, pattern[i], widths);
            if (!IsBar(i) && w >= 3) {
                const int t = ToothWidth(w);
                const double tx = spaceLeft + (w - t) / 2;
                surface.LineBoxFilled(tx, top, tx + t, top + tooth, graphics::kBlack);
                surface.LineBoxFilled(tx, top + style.barHeight - tooth, tx + t, top + style.barHeight, graphics::kBlack);
            }
            spaceLeft += w;
        }
    }

    if (style.includeText) {
        surface.SetFontSize(kTextSize);
        surface.MoveTo(left, top * kTextGapFactor + style.barHeight);
        surface.Print(text);
    }
}

} // namespace symbols
