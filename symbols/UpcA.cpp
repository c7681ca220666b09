#include "symbols/UpcA.h"

#include "symbols/Gs1CheckDigit.h"

#include <algorithm>
#include <cmath>

namespace symbols {

namespace {

// An element is 15n + 1 vertical lines one unit apart. Where a unit is at
// most a pixel, they cover every pixel column from the first line's to the
// last's: those are filled at once (a symbol is some 1,400 lines).
void DrawElement(graphics::Surface& box, const UpcAElement& e, graphics::Rgb colour)
{
    const double perUnit = box.PixelsPerUnitX();
    if (box.DrawWidth() != 1 || !(perUnit > 0 && perUnit <= 1)) {
        for (int i = 0; i < e.lines; ++i)
            box.Line(e.x + i, kUpcATop, e.x + i, kUpcATop + kUpcABarLength, colour);
        return;
    }
    const int first = static_cast<int>(std::floor(box.ToPixelX(e.x)));
    const int last = static_cast<int>(std::floor(box.ToPixelX(e.x + e.lines - 1)));
    const int top = static_cast<int>(std::floor(box.ToPixelY(kUpcATop)));
    const int bottom = std::max(top + 1, static_cast<int>(std::floor(box.ToPixelY(kUpcATop + kUpcABarLength))));
    box.FillPixels(QRect(first, top, last - first + 1, bottom - top), colour);
    box.MoveTo(e.x + e.lines - 1, kUpcATop + kUpcABarLength); // where the last line ends, as Line leaves it
}

bool IsUpcACode(const QString& code)
{
    if (code.size() != 11)
        return false;
    for (QChar c : code)
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return false;
    return true;
}

void Append(Elements& out, std::string_view entry)
{
    for (std::size_t i = 0; i + 1 < entry.size(); i += 2)
        out.push_back({entry[i] == 'b', entry[i + 1] - '0'});
}

} // namespace

int UpcACheckDigit(const QString& codeText)
{
    const QString code = codeText.trimmed();
    std::array<int, 11> digits{};
    for (qsizetype k = 0; k < 11 && k < code.size(); ++k)
        digits[static_cast<std::size_t>(k)] = Gs1DigitValue(code[k]);
    return Gs1CheckDigit(digits);
}

UpcASymbol EncodeUpcA(const QString& text)
{
    const QString code = text.trimmed();
    UpcASymbol symbol{UpcACheckDigit(code), {}, {}, {}};
    if (!IsUpcACode(code)) {
        symbol.status = core::Failure{core::kNotDrawable, kUpcANot11Digits, true};
        return symbol;
    }
    symbol.digits = code + QString::number(symbol.check);
    auto digit = [&](int k) { return static_cast<std::size_t>(Gs1DigitValue(symbol.digits[k])); };
    Append(symbol.elements, kUpcAGuard);
    for (int k = 0; k < 6; ++k)
        Append(symbol.elements, kUpcALeft[digit(k)]);
    Append(symbol.elements, kUpcAGuard);
    for (int k = 6; k < 12; ++k)
        Append(symbol.elements, kUpcARight[digit(k)]);
    Append(symbol.elements, kUpcAGuard);
    return symbol;
}

std::vector<UpcAElement> UpcALayout(const Elements& elements)
{
    std::vector<UpcAElement> out;
    out.reserve(elements.size());
    int x = kUpcALeft0;
    for (const Element& e : elements) {
        const int width = kUpcALinesPerModule * e.modules;
        out.push_back({x, width + 1, e.bar});
        x += width; // the closing line is shared with the next element, which overdraws it
    }
    return out;
}

void DrawUpcA(graphics::Surface& box, const UpcASymbol& symbol, bool includeText)
{
    if (!symbol.elements.empty()) {
        box.SetModule(kUpcALinesPerModule);
        for (const UpcAElement& e : UpcALayout(symbol.elements))
            DrawElement(box, e, e.bar ? graphics::kBlack : graphics::kWhite);
    }

    box.MoveTo(kUpcATextX, kUpcATextY);
    if (symbol.status.failed())
        box.Print(symbol.status.failure().text);
    else if (includeText)
        box.Print(symbol.digits);

    box.KeepImageAsPicture();
}

} // namespace symbols
