#include "symbologies/UpcA.h"

#include "symbologies/Gs1CheckDigit.h"

#include <algorithm>
#include <cmath>

namespace symbologies {

namespace {

// An element is 15n + 1 vertical lines one unit apart. Where a unit is at
// most a pixel, they cover every pixel column from the first line's to the
// last's: those are filled at once (a symbol is some 1,400 lines).
void DrawElement(platform::Surface& box, const UpcAElement& e, platform::Rgb colour)
{
    const double perUnit = box.PixelsPerUnitX();
    if (box.DrawWidth != 1 || !(perUnit > 0 && perUnit <= 1)) {
        for (int i = 0; i < e.lines; ++i)
            box.Line(e.x + i, kUpcATop, e.x + i, kUpcATop + kUpcABarLength, colour);
        return;
    }
    const int first = static_cast<int>(std::floor(box.ToPixelX(e.x)));
    const int last = static_cast<int>(std::floor(box.ToPixelX(e.x + e.lines - 1)));
    const int top = static_cast<int>(std::floor(box.ToPixelY(kUpcATop)));
    const int bottom = std::max(top + 1, static_cast<int>(std::floor(box.ToPixelY(kUpcATop + kUpcABarLength))));
    box.FillPixels(QRect(first, top, last - first + 1, bottom - top), colour);
    box.CurrentX = e.x + e.lines - 1; // where the last line ends, as Line leaves it
    box.CurrentY = kUpcATop + kUpcABarLength;
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

bool IsUpcACode(const QString& codeText)
{
    const QString code = codeText.trimmed();
    if (code.size() != 11)
        return false;
    for (QChar c : code)
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return false;
    return true;
}

std::vector<UpcAElement> UpcALayout(const QString& twelveDigits)
{
    std::vector<UpcAElement> out;
    int x = kUpcALeft0;
    auto add = [&](std::string_view elements) {
        for (std::size_t i = 0; i + 1 < elements.size(); i += 2) {
            const int width = kUpcALinesPerModule * (elements[i + 1] - '0');
            out.push_back({x, width + 1, elements[i] == 'b'});
            x += width; // the closing line is shared with the next element, which overdraws it
        }
    };
    auto digit = [&](int k) { return static_cast<std::size_t>(Gs1DigitValue(k < twelveDigits.size() ? twelveDigits[k] : QChar(u'0'))); };
    add(kUpcAGuard);
    for (int k = 0; k < 6; ++k)
        add(kUpcALeft[digit(k)]);
    add(kUpcAGuard);
    for (int k = 6; k < 12; ++k)
        add(kUpcARight[digit(k)]);
    add(kUpcAGuard);
    return out;
}

int DrawUpcA(platform::Surface& box, const QString& text, bool includeText)
{
    const QString code = text.trimmed();
    const int check = UpcACheckDigit(code);
    const bool drawable = IsUpcACode(code);

    if (drawable) {
        box.SetModule(kUpcALinesPerModule);
        const QString full = code + QString::number(check);
        for (const UpcAElement& e : UpcALayout(full))
            DrawElement(box, e, e.bar ? platform::kBlack : platform::kWhite);
    }

    box.CurrentX = kUpcATextX;
    box.CurrentY = kUpcATextY;
    if (!drawable)
        box.Print(kUpcANot11Digits);
    else if (includeText)
        box.Print(code + QString::number(check));

    box.KeepImageAsPicture();
    return check;
}

} // namespace symbologies
