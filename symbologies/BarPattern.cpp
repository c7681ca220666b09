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

} // namespace

void EncodePattern(const QString& type, QString& text)
{
    if (type == u"128") {
        EncodeCode128B(text);
    } else if (type == u"25") {
        if (text.size() % 2 != 0)
            text += QLatin1Char('0');
        EncodeInterleaved25(text);
    } else if (type == u"Codit") {
        text = text.toUpper();
        EncodeCodabar(text);
    }
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

void DrawBarPattern(const QString& type, QString& text, platform::Surface& surface, ModuleWidths widths,
                    float barHeight, float left, float top, bool includeText)
{
    EncodePattern(type, text);

    // Geometry that is not a number would draw nothing sensible; the surface
    // is left as it is.
    if (!std::isfinite(barHeight) || !std::isfinite(left) || !std::isfinite(top) || widths.bar < 1 || widths.space < 1)
        return;

    // Printing puts a module on whole dots; with spaces wider than bars the
    // common unit is one pixel of the surface.
    surface.SetModule(widths.bar == widths.space ? widths.bar : 1, left);
    double x = left;
    for (qsizetype i = 0; i < BarPattern.size(); ++i) {
        const int w = ElementWidth(i, BarPattern[i], widths);
        if (IsBar(i))
            surface.LineBoxFilled(x, top, x + w, top + barHeight, platform::kBlack);
        x += w;
    }

    if (includeText) {
        surface.SetFontSize(kTextSize);
        surface.CurrentX = left;
        surface.CurrentY = top * kTextGapFactor + barHeight;
        surface.Print(text);
    }
}

} // namespace symbologies
