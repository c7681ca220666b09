#include "symbols/BarLayout.h"

namespace symbols {

double LayOutBars(graphics::Surface& surface, const Elements& elements, double left, double top, double bottom,
                  BarWidths widths, bool paintSpaces)
{
    double x = left;
    for (const Element& e : elements) {
        const double w = e.modules * (e.bar ? widths.bar : widths.space);
        if (e.bar || paintSpaces)
            surface.LineBoxFilled(x, top, x + w, bottom, e.bar ? graphics::kBlack : graphics::kWhite);
        x += w;
    }
    return x;
}

Elements ElementsOfPattern(const QString& pattern)
{
    Elements elements;
    elements.reserve(static_cast<size_t>(pattern.size()));
    for (qsizetype i = 0; i < pattern.size(); ++i)
        elements.push_back(Element{i % 2 == 0, pattern[i].unicode() - u'0'});
    return elements;
}

} // namespace symbols
