#include "symbols/Code128Engine.h"

#include "core/Numeric.h"
#include "symbols/Code128Encoding.h"
#include "symbols/LeftOut.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace symbols {

using namespace graphics;

namespace {

constexpr int kFaceNameMax = 30; // face-name field of 31 bytes with its terminating zero

// Layout runs in 64 bits so that extreme records cannot overflow; the
// device calls take 32-bit coordinates.
int C32(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int EscapementOf(std::int32_t rotation)
{
    constexpr int kTenths[] = {3600, 900, 1800, 2700};
    return kTenths[rotation];
}

LOGFONTA CaptionFont(const Code128Params& p, HDC dc)
{
    const bool sideways = p.Rotation == 1 || p.Rotation == 3;
    const int dpi = GetDeviceCaps(dc, sideways ? LOGPIXELSX : LOGPIXELSY);
    LOGFONTA lf;
    lf.lfHeight = -MulDiv(p.FontSize, dpi, 72);
    lf.lfWidth = 0;
    lf.lfEscapement = EscapementOf(p.Rotation);
    lf.lfOrientation = 0;
    lf.lfWeight = (p.FontStyle & 1) ? 700 : 400;
    lf.lfItalic = (p.FontStyle & 2) ? 255 : 0;
    lf.lfUnderline = (p.FontStyle & 4) ? 1 : 0;
    lf.lfStrikeOut = (p.FontStyle & 8) ? 1 : 0;
    lf.lfCharSet = 0;        // ANSI
    lf.lfOutPrecision = 3;   // stroke
    lf.lfClipPrecision = 2;  // stroke
    lf.lfQuality = 1;
    lf.lfPitchAndFamily = 2; // variable pitch
    const QByteArray face = AnsiBytes(p.FontName).left(kFaceNameMax);
    std::memcpy(lf.lfFaceName, face.constData(), static_cast<std::size_t>(face.size()));
    lf.lfFaceName[face.size()] = '\0';
    return lf;
}

std::int32_t FieldCheck(const Code128Params& p)
{
    if (p.ModuleWidth <= 0)
        return kBadModuleWidth;
    if (p.BarHeight <= 0)
        return kBadBarHeight;
    if (p.Alignment < 1 || p.Alignment > 4)
        return kBadAlignment;
    if (p.FontSize <= 0)
        return kBadFont;
    if (p.FontName.isEmpty() || AnsiBytes(p.FontName).size() > kFaceNameMax)
        return kBadFont;
    if (p.FontStyle < 0 || p.FontStyle > 15)
        return kBadFont;
    if (p.Rotation < 0 || p.Rotation > 3)
        return kBadFont;
    if (p.Symbology != kCode128Symbology)
        return kBadSymbology;
    if (p.CaptionPosition != 1 && p.CaptionPosition != 2)
        return kBadCaptionPosition;
    return kCode128Ok;
}

constexpr int kLeft = 1, kCenter = 2, kRight = 3, kJustify = 4;
constexpr int kBottom = 1, kTop = 2;

} // namespace

core::Status ValidateCode128(const Code128Params& params)
{
    std::int32_t code = FieldCheck(params);
    const HeldText bad = FirstNotEncoded(params.Text, IsCode128Character);
    if (!bad.first.isEmpty())
        code = kBadCharacter;
    if (code == kCode128Ok)
        return core::Ok();
    // The message is the engine's, whatever the code; a character it does
    // not take is named after it.
    QString text = Code128ErrorMessage(code);
    if (code == kBadCharacter)
        text += QStringLiteral("(%1: it takes printable ASCII characters only)").arg(CantEncode(QStringLiteral("Code 128 B"), bad));
    return core::Failure{code, text};
}

core::Result<Elements> EncodeCode128Record(const Code128Params& params)
{
    if (core::Status valid = ValidateCode128(params); valid.failed())
        return valid.failure();
    if (params.Text.isEmpty())
        return Elements{};
    return Code128Elements(EncodeCode128(params.Text, params.AddCheckCharacter));
}

Code128Area DrawCode128(const Code128Params& p, const Elements& elements, HDC dc)
{
    // Elements come from EncodeCode128Record, which checked the record;
    // checking its fields again keeps a record built otherwise from
    // reaching the font tables.
    if (elements.empty() || FieldCheck(p) != kCode128Ok)
        return {};

    const std::int64_t L = p.Left, T = p.Top, H = p.BarHeight, G = p.CaptionGap, M = p.ModuleWidth;
    // Only a symbol drawn upright has an extent: bars and caption.
    std::int64_t modules = 0;
    for (const Element& e : elements)
        modules += e.modules;
    const std::int64_t W = p.Rotation == 0 ? M * modules : 0;
    const std::int64_t barsHeight = p.Rotation == 0 ? H : 0;

    const LOGFONTA lf = CaptionFont(p, dc);
    const HFONT font = CreateFontIndirectA(&lf);
    const HGDIOBJ previousFont = SelectObject(dc, font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);

    const QByteArray caption = AnsiBytes(p.Caption);
    const bool hasCaption = !caption.isEmpty();
    std::int64_t bgLeft = L, bgTop = T, bgRight = L + W, bgBottom = T + barsHeight + 1;
    std::int64_t cx = 0, cy = 0;
    if (hasCaption) {
        SIZE extent;
        if (GetTextExtentPoint32A(dc, caption.constData(), static_cast<int>(caption.size()), &extent)) {
            cx = extent.cx;
            cy = extent.cy;
            if (cx > W) {
                bgLeft = L;
                bgRight = L + cx + 2 * std::int64_t(tm.tmInternalLeading);
            }
            bgBottom = p.CaptionPosition == kBottom ? T + H + G + tm.tmHeight + 2 : T + H + G + cy + 2;
        }
        // An unmeasurable caption leaves the extent of the bars alone.
    }

    // Background: filled without an outline.
    const HBRUSH back = CreateSolidBrush(p.BackColor);
    SelectObject(dc, back);
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, C32(bgLeft), C32(bgTop), C32(bgRight + 2), C32(bgBottom));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(back);

    const HBRUSH barBrush = CreateSolidBrush(p.BarColor);
    const HPEN barPen = CreatePen(PS_SOLID, 1, p.BarColor);
    SelectObject(dc, barBrush);
    SelectObject(dc, barPen);
    SetTextColor(dc, p.TextColor);
    SetBkMode(dc, TRANSPARENT);

    Code128Area area;
    if (p.Rotation == 0) {
        RECT text;
        std::int64_t barTop = T;
        if (hasCaption && p.CaptionPosition == kTop) {
            // One internal leading here, against two for the background.
            const std::int64_t right = cx > W ? L + cx + tm.tmInternalLeading : bgRight;
            SetRect(&text, C32(L), C32(T), C32(right), C32(T + cy + G));
            barTop = T + cy + G + 1;
        }
        // Bars centred under or over a wider caption; halves go to the even neighbour.
        const std::int64_t barX = cx > W
            ? static_cast<std::int64_t>(core::RoundHalfEven(double(bgLeft) + double((bgRight - bgLeft) - W) / 2.0))
            : L;

        std::int64_t x = barX;
        for (const Element& e : elements) {
            const std::int64_t w = e.modules * M;
            if (e.bar)
                Rectangle(dc, C32(x), C32(barTop), C32(x + w), C32(barTop + H));
            x += w;
        }

        if (hasCaption && p.CaptionPosition == kBottom) {
            const std::int64_t right = cx > W ? L + cx + 2 * std::int64_t(tm.tmInternalLeading) : x;
            SetRect(&text, C32(L), C32(barTop + H + G), C32(right), C32(barTop + H + G + cy));
        }

        if (hasCaption) {
            SetTextColor(dc, p.TextColor);
            const int n = static_cast<int>(caption.size());
            switch (p.Alignment) {
            case kLeft: DrawTextA(dc, caption.constData(), n, &text, DT_LEFT); break;
            case kCenter: DrawTextA(dc, caption.constData(), n, &text, DT_CENTER); break;
            case kRight: DrawTextA(dc, caption.constData(), n, &text, DT_RIGHT); break;
            case kJustify: {
                // Spread the caption over the rectangle: one step per character.
                const double w = double(text.right) - double(text.left);
                const double step = core::RoundHalfEven(w / n);
                GetTextMetricsA(dc, &tm);
                SetTextCharacterExtra(dc, C32(static_cast<std::int64_t>(step) - tm.tmAveCharWidth));
                DrawTextA(dc, caption.constData(), n, &text, DT_CENTER | DT_CALCRECT);
                DrawTextA(dc, caption.constData(), n, &text, DT_CENTER);
                break;
            }
            }
        }

        area = {C32(bgRight - bgLeft), C32(bgBottom - bgTop)};
    }

    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, previousFont); // the caption font is never deleted while selected
    DeleteObject(barBrush);
    DeleteObject(barPen);
    DeleteObject(font);
    return area;
}

QString Code128ErrorMessage(std::int32_t)
{
    return QStringLiteral("There was an Unknow Error please send an email to ") + QLatin1String(kSupportAddress) +
           QLatin1Char(' ');
}

} // namespace symbols
