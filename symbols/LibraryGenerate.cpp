#include "symbols/LibraryGenerate.h"

#include "core/Units.h"

#include <algorithm>
#include <cmath>

namespace symbols {
namespace {

using graphics::Surface;

// White left of the symbol on its surface (room for EAN-13's and UPC-A's
// outside digit) and above it.
constexpr int kLeftMargin = 12;
constexpr int kTopMargin = 8;
// The largest module a size box may ask for: beyond it no label holds the symbol.
constexpr int kMaxModule = 40;

// Where the retail layouts print their digits: `count` digits, one per
// seven modules from module `from`.
struct DigitGroup {
    int first, count, from;
};

struct RetailShape {
    std::vector<std::pair<int, int>> longBars; // module ranges drawn down into the digits
    std::vector<DigitGroup> under;             // digits under the bars
    int leftDigit = -1, rightDigit = -1;       // digits outside the bars, by their index
};

RetailShape RetailShapeOf(ModuleShape shape)
{
    switch (shape) {
    case ModuleShape::Ean13: return {{{0, 3}, {45, 50}, {92, 95}}, {{1, 6, 3}, {7, 6, 50}}, 0, -1};
    case ModuleShape::Ean8: return {{{0, 3}, {31, 36}, {64, 67}}, {{0, 4, 3}, {4, 4, 36}}, -1, -1};
    case ModuleShape::UpcA: return {{{0, 10}, {45, 50}, {85, 95}}, {{1, 5, 10}, {6, 5, 50}}, 0, 11};
    default: return {};
    }
}

void Fill(Surface& surface, int x, int y, int w, int h) { surface.FillPixels(QRect(x, y, w, h), graphics::kBlack); }

// Prints text with its top-left corner at (x, y), in pixels.
void PrintAt(Surface& surface, const QString& text, double x, double y)
{
    surface.MoveTo(x, y);
    surface.Print(text);
}

void DrawBars(const Modules& m, const ModuleLayout& l, Surface& s, const RetailShape& retail)
{
    const int textHeight = static_cast<int>(std::ceil(s.TextHeight(QStringLiteral("0"))));
    const int longer = std::max(5 * l.module, textHeight / 2);
    for (int x = 0; x < m.width;) {
        int end = x;
        while (end < m.width && m.Dark(end, 0) == m.Dark(x, 0))
            ++end;
        if (m.Dark(x, 0)) {
            const bool isLong = std::any_of(retail.longBars.begin(), retail.longBars.end(),
                                            [x](const auto& r) { return x >= r.first && x < r.second; });
            Fill(s, kLeftMargin + x * l.module, kTopMargin, (end - x) * l.module, l.barHeight + (isLong ? longer : 0));
        }
        x = end;
    }
}

void DrawRetailDigits(const Modules& m, const ModuleLayout& l, Surface& s, const RetailShape& retail)
{
    const QString& digits = m.humanText;
    const double top = kTopMargin + l.barHeight + 1;
    auto digitAt = [&](int index, double centre) {
        if (index < digits.size())
            PrintAt(s, digits.mid(index, 1), centre - s.TextWidth(digits.mid(index, 1)) / 2, top);
    };
    for (const DigitGroup& g : retail.under)
        for (int i = 0; i < g.count; ++i)
            digitAt(g.first + i, kLeftMargin + (g.from + 7 * i + 3.5) * l.module);
    const double digitWidth = s.TextWidth(QStringLiteral("0"));
    if (retail.leftDigit >= 0)
        digitAt(retail.leftDigit, kLeftMargin - l.module - digitWidth / 2);
    if (retail.rightDigit >= 0)
        digitAt(retail.rightDigit, kLeftMargin + (m.width + 1) * l.module + digitWidth / 2);
}

void DrawMatrix(const Modules& m, const ModuleLayout& l, Surface& s, int left, int top)
{
    int y = top;
    for (int r = 0; r < m.rows; ++r) {
        const int h = m.rowHeights[static_cast<size_t>(r)] * l.module;
        for (int x = 0; x < m.width;) {
            int end = x;
            while (end < m.width && m.Dark(end, r) == m.Dark(x, r))
                ++end;
            if (m.Dark(x, r))
                Fill(s, left + x * l.module, y, (end - x) * l.module, h);
            x = end;
        }
        y += h;
    }
}

int MatrixHeight(const Modules& m)
{
    int h = 0;
    for (int rh : m.rowHeights)
        h += rh;
    return h;
}

} // namespace

bool LayOutModules(const Modules& m, const ModuleLayout& l, Surface& surface)
{
    surface.SetScaleMode(graphics::ScaleMode::Pixels);
    surface.SetFontSize(l.fontSize);
    const bool matrix = l.shape == ModuleShape::Matrix;
    const int quiet = matrix ? static_cast<int>(std::ceil(l.quietModules * l.module)) : 0;
    const int left = matrix ? quiet : kLeftMargin;
    const int top = matrix ? quiet : kTopMargin;
    const double textHeight = surface.TextHeight(QStringLiteral("0"));
    // A caption wider than the bars widens the surface; the bars stay
    // where they are and the caption is centred under them as far as it can be.
    const bool caption = l.shape == ModuleShape::Bars && l.withText && !m.humanText.isEmpty();
    const double captionWidth = caption ? surface.TextWidth(m.humanText) : 0;
    const double captionLeft = std::max(1.0, left + (m.width * l.module - captionWidth) / 2);
    const int width = std::max(left + m.width * l.module + (matrix ? quiet : kLeftMargin + l.module),
                               static_cast<int>(std::ceil(captionLeft + captionWidth)) + 2);
    const int height = matrix ? 2 * quiet + MatrixHeight(m) * l.module
                              : top + l.barHeight + static_cast<int>(std::ceil(textHeight)) + 2 + kTopMargin;
    if (width > Surface::kMaxPixels || !surface.SetWidth(core::PixelsToTwips(width)) || surface.PixelWidth() < width)
        return false;
    surface.SetHeight(core::PixelsToTwips(height));
    if (surface.PixelHeight() < height)
        return false; // a cut symbol scans wrong or not at all
    surface.SetScaleMode(graphics::ScaleMode::Pixels);
    surface.Cls();
    if (matrix) {
        DrawMatrix(m, l, surface, left, top);
    } else {
        const RetailShape retail = RetailShapeOf(l.shape);
        DrawBars(m, l, surface, retail);
        if (l.shape != ModuleShape::Bars)
            DrawRetailDigits(m, l, surface, retail);
        else if (caption)
            PrintAt(surface, m.humanText, captionLeft, top + l.barHeight + 1);
    }
    surface.SetModule(l.module, left);
    surface.SetQuietZone(l.quietModules, matrix);
    return true;
}

ModuleLayout LayoutFor(ModuleShape shape, const SymbolRequest& r)
{
    auto whole = [](double v) { return std::isfinite(v) ? static_cast<int>(std::clamp(std::lround(v), 1L, long(kMaxModule))) : 1; };
    ModuleLayout l;
    l.shape = shape;
    const double factor = r.heightFactor.value_or(1.4);
    // Bars: 800 in "Width" is two pixels a module, as the pattern symbols
    // draw it; a matrix takes its module from the "Height" factor.
    l.module = shape == ModuleShape::Matrix ? whole(2 * factor) : whole(r.width.value_or(800) / 400);
    l.barHeight = std::isfinite(factor) ? static_cast<int>(std::clamp(std::lround(40 * factor), 1L, 4000L)) : 56;
    const double font = r.fontSize.value_or(8);
    l.fontSize = std::isfinite(font) && font >= 1 && font <= 200 ? font : 8;
    l.withText = r.withText;
    return l;
}

Generated GenerateLibraryCode(const SymbologyRow& row, const SymbolRequest& request, Surface& surface)
{
    const core::Result<Modules> modules = EncodeLibraryCode(row, request.text, request.library);
    if (modules.failed())
        return {nullptr, modules.failure(), {}};
    ModuleLayout layout = LayoutFor(row.library.shape, request);
    layout.quietModules = row.library.quietModules;
    if (!LayOutModules(*modules, layout, surface)) {
        surface.Cls();
        return {nullptr, core::Failure{core::kTooLongToDraw, kTooLongToDraw}, {}};
    }
    return {&surface, {}, modules->humanText};
}

} // namespace symbols
