#include "symbologies/BarPattern.h"

#include "symbologies/Code128B.h"
#include "symbologies/Codabar.h"
#include "symbologies/Interleaved25.h"

#include <algorithm>
#include <cmath>

namespace symbologies {

QString BarPattern;

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
// bars break such a line. Measured on 270 printed symbols turned 2 to 3
// degrees: without bearers zxing-cpp and zbar each returned a short read
// for about one symbol in three at 3 and 4 pixels a module; with bars of
// two pixels zxing-cpp returned none and zbar, counting reads two scan
// lines agree on, 4 in 1,080 tries. Taller bars only add scan lines that
// cross an edge, and made it worse.
constexpr int kBearerBar = 2;

} // namespace

platform::MaybeFailure EncodePattern(const QString& type, QString& text)
{
    if (type == u"128") {
        EncodeCode128B(text);
    } else if (type == u"25") {
        if (text.size() % 2 != 0)
            text += QLatin1Char('0');
        return EncodeInterleaved25(text);
    } else if (type == u"Codit") {
        text = text.toUpper();
        EncodeCodabar(text);
    }
    return std::nullopt;
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

void DrawPattern(platform::Surface& surface, const PatternStyle& style, float left, float top, const QString& text)
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
    double x = left;
    for (qsizetype i = 0; i < BarPattern.size(); ++i) {
        const int w = ElementWidth(i, BarPattern[i], widths);
        if (IsBar(i))
            surface.LineBoxFilled(x, top, x + w, top + style.barHeight, platform::kBlack);
        x += w;
    }

    if (style.bearers && !BarPattern.isEmpty()) {
        const double bearer = kBearerBar / std::max(surface.PixelsPerUnitY(), 1e-9);
        surface.LineBoxFilled(left, top - bearer, x, top, platform::kBlack);
        surface.LineBoxFilled(left, top + style.barHeight, x, top + style.barHeight + bearer, platform::kBlack);
    }

    if (style.includeText) {
        surface.SetFontSize(kTextSize);
        surface.CurrentX = left;
        surface.CurrentY = top * kTextGapFactor + style.barHeight;
        surface.Print(text);
    }
}

platform::MaybeFailure DrawBarPattern(const QString& type, QString& text, platform::Surface& surface,
                                     ModuleWidths widths, float barHeight, float left, float top, bool includeText)
{
    auto failure = EncodePattern(type, text);
    DrawPattern(surface, {widths, barHeight, includeText, type == u"25"}, left, top, text);
    return failure;
}

} // namespace symbologies
