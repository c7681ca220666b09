#include "symbologies/UpcA.h"

#include "symbologies/Gs1CheckDigit.h"

namespace symbologies {

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
        for (const UpcAElement& e : UpcALayout(full)) {
            const platform::Rgb colour = e.bar ? platform::kBlack : platform::kWhite;
            for (int i = 0; i < e.lines; ++i)
                box.Line(e.x + i, kUpcATop, e.x + i, kUpcATop + kUpcABarLength, colour);
        }
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
