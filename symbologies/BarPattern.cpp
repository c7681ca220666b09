#include "symbologies/BarPattern.h"

#include "symbologies/Code128B.h"
#include "symbologies/Codabar.h"
#include "symbologies/Interleaved25.h"

#include <cmath>

namespace symbologies {

QString BarPattern;

namespace {

// Spaces are drawn 1.3 times their nominal width on purpose: the widened
// gaps print and scan better than the nominal ones at two pixels a module.
constexpr double kSpaceFactor = 1.3;

constexpr float kTextSize = 16;
constexpr double kTextGapFactor = 1.2; // the text starts at top x 1.2 below the bars

// Element i (from 0) of a pattern is a bar when i is even.
inline bool IsBar(qsizetype i) { return i % 2 == 0; }

inline float ElementWidth(QChar digit, short module)
{
    return static_cast<float>(digit.unicode() - u'0') * static_cast<float>(module);
}

// The running position is a single float, as the element widths are.
inline float Advance(float x, float w, bool bar)
{
    return bar ? x + w : static_cast<float>(x + kSpaceFactor * w);
}

void Encode(const QString& type, QString& text)
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

} // namespace

double PatternWidth(const QString& pattern, short module)
{
    float x = 0, reach = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        x = Advance(x, ElementWidth(pattern[i], module), IsBar(i));
        if (IsBar(i))
            reach = x;
    }
    return reach;
}

void DrawBarPattern(const QString& type, QString& text, platform::Surface& surface, short module,
                    float barHeight, float left, float top, bool includeText)
{
    Encode(type, text);

    // Geometry that is not a number would draw nothing sensible; the surface
    // is left as it is.
    if (!std::isfinite(barHeight) || !std::isfinite(left) || !std::isfinite(top))
        return;

    surface.SetModule(module, left);
    float x = left;
    for (qsizetype i = 0; i < BarPattern.size(); ++i) {
        const float w = ElementWidth(BarPattern[i], module);
        if (IsBar(i))
            surface.LineBoxFilled(x, top, x + w, top + barHeight, platform::kBlack);
        x = Advance(x, w, IsBar(i));
    }

    if (includeText) {
        surface.SetFontSize(kTextSize);
        surface.CurrentX = left;
        surface.CurrentY = top * kTextGapFactor + barHeight;
        surface.Print(text);
    }
}

} // namespace symbologies
