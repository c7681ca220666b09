#include "symbols/Ean.h"

#include "core/Numeric.h"
#include "core/RunTimeError.h"
#include "symbols/Gs1CheckDigit.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace symbols {
namespace {

using core::RunTimeError;
using core::Status;

constexpr double kBarTop = 5;    // Y where every line starts
constexpr int kGuardExtra = 6;   // guards reach this much below the data bars
constexpr int kStartX = 11;      // first module of the start guard
constexpr double kLeftMarkX = 2; // "<" or the first EAN-13 digit
constexpr double kSizeLimit = 32767; // sizes are 16-bit values

// A size field that is not a number is a type mismatch, a value no 16-bit
// size can hold an overflow.
Status SizeFault(std::optional<double> v)
{
    if (!v)
        return core::RunTimeFailure(RunTimeError::TypeMismatch);
    if (std::abs(*v) > kSizeLimit)
        return core::RunTimeFailure(RunTimeError::Overflow);
    return core::Ok();
}

std::string_view DigitModules(int kind, int firstDigit, int position, int digit)
{
    const int firstRight = kind == 8 ? 5 : 8;
    const auto d = static_cast<std::size_t>(digit);
    if (position >= firstRight)
        return kEanSetC[d];
    if (kind == 8)
        return kEanSetA[d];
    const char parity = kEanParity[static_cast<std::size_t>(firstDigit)][static_cast<std::size_t>(position - 2)];
    return parity == '1' ? kEanSetB[d] : kEanSetA[d];
}

// Draws the symbol element by element; a fault stops it where it happens,
// and what was drawn before stays.
Status DrawSymbol(graphics::Surface& box, const QString& code, int kind, std::optional<double> barLength,
                        std::optional<double> fontSize)
{
    const int firstRight = kind == 8 ? 5 : 8;
    box.Cls();
    box.SetBackColor(graphics::kWhite);
    if (Status f = SizeFault(fontSize); f.failed())
        return f;
    box.SetFontSize(*fontSize);
    box.SetDrawWidth(2);
    box.SetModule(1, kStartX);

    int x = kStartX;
    int first = 0;
    double bar = 0;
    auto printAt = [&](double at, const QString& s) {
        box.MoveTo(at, bar);
        box.Print(s);
    };
    for (int i = 1; i <= kind; ++i) {
        const QChar c = code[i - 1];
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return core::RunTimeFailure(RunTimeError::TypeMismatch);
        const int d = c.unicode() - u'0';
        if (i == 1) {
            if (Status f = SizeFault(barLength); f.failed())
                return f;
            bar = *barLength;
            DrawEanGuard(box, x, bar);
            first = d;
            printAt(kLeftMarkX, kind == 8 ? QStringLiteral("<") : QString::number(d));
            if (kind == 13)
                continue; // the first EAN-13 digit is carried by the parity of the left half
        }
        if (i == firstRight) {
            ++x;
            DrawEanGuard(box, x, bar);
            ++x;
        }
        for (char m : DigitModules(kind, first, i, d)) {
            if (m == '1')
                DrawEanModule(box, x, bar, 0);
            ++x;
        }
        printAt(x - 8, QString::number(d)); // one unit left of the digit's first module
    }
    if (kind == 8)
        printAt(x + 8, QStringLiteral(">"));
    DrawEanGuard(box, x, bar);
    return core::Ok();
}

} // namespace

QString EanTooLongMessage()
{
    return QStringLiteral("The EAN code is too long: enter at most %1 characters.").arg(kEanMaxTextLength);
}

int EanCheckDigit(const QString& digits)
{
    if (digits.size() != 7 && digits.size() != 12)
        return 0;
    std::vector<int> values;
    for (QChar c : digits)
        values.push_back(Gs1DigitValue(c));
    return Gs1CheckDigit(values);
}

QString EanWithCheckDigit(const QString& digits)
{
    return digits + QString::number(EanCheckDigit(digits));
}

void DrawEanModule(graphics::Surface& box, int x, double barLength, int extra)
{
    box.Line(x, kBarTop, x, barLength + extra);
}

void DrawEanGuard(graphics::Surface& box, int& x, double barLength)
{
    DrawEanModule(box, x, barLength, kGuardExtra);
    DrawEanModule(box, x + 2, barLength, kGuardExtra);
    x += 3;
}

EanDrawn DrawEan(graphics::Surface& box, const QString& text, std::optional<double> barLength,
                 std::optional<double> fontSize)
{
    if (text.size() <= 6)
        return {text, {}};
    if (text.size() > kEanMaxTextLength) {
        box.Cls();
        return {text, core::Failure{core::kNotDrawable, EanTooLongMessage()}};
    }
    const int kind = text.size() <= 11 ? 8 : 13;
    const QString code = EanWithCheckDigit(text.left(kind - 1));
    return {code, DrawSymbol(box, code, kind, barLength, fontSize)};
}

void FitEanScale(graphics::Surface& box, std::optional<double> barLength, std::optional<double> fontSize)
{
    const double bar = std::clamp(barLength.value_or(8), -kSizeLimit, kSizeLimit);
    box.SetScaleMode(graphics::ScaleMode::Pixels);
    box.SetFontSize(std::min(fontSize.value_or(1.4), kSizeLimit));
    const double widthPx = box.ScaleWidth(), heightPx = box.ScaleHeight();
    const double textPx = box.TextHeight(QStringLiteral("0"));

    // Half a unit of margin above the first line and below the longest one.
    const double top = std::min(kBarTop, bar) - 0.5;
    const double bottom = std::max(kBarTop, bar + kGuardExtra) + 0.5;
    double unitPx = heightPx / (bottom - top);
    // The digit line starts at the bar length; make room for it below,
    // unless the font is too large to share the box with the bars anyway.
    if (textPx <= heightPx / 2 && bar > top)
        unitPx = std::min(unitPx, (heightPx - textPx) / (bar - top));
    box.SetUserScale(0, top, widthPx / kEanPixelsPerModule, heightPx / unitPx);
}

} // namespace symbols
