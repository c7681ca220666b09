// A GDI-style drawing layer: handles for fonts, brushes and pens, stock
// objects, and device contexts that draw with the selected objects. The
// layout engine draws only through these functions, so one drawing routine
// serves any drawing surface (SurfaceDC) and a recording fake in tests.
//
// Coordinates are device units; on a picture box one unit is one pixel of
// its raster. Text passed to the "A" functions is Windows-1252 bytes.
// Every object a Create* function returns is counted until DeleteObject
// releases it, so a test can prove that a drawing leaks nothing.
#pragma once

#include "graphics/Color.h"

#include <QByteArray>
#include <QFont>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QImage;
class QPainter;

namespace graphics {

class Surface;
class DeviceContext;

// A handle to a font, brush or pen; Null (0) is no object.
enum class HGDIOBJ : std::uint32_t { Null = 0 };
using HFONT = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HPEN = HGDIOBJ;
using HDC = DeviceContext*;

struct RECT {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
};

struct SIZE {
    std::int32_t cx = 0, cy = 0;
};

inline constexpr int LF_FACESIZE = 32;

// A logical font, field for field in the platform's order.
struct LOGFONTA {
    std::int32_t lfHeight = 0; // < 0: character (em) height; > 0: cell height; 0: default
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0; // tenths of a degree, counter-clockwise
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0; // 0 default, 400 normal, 700 bold
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {}; // Windows-1252, zero-terminated
};

struct TEXTMETRICA {
    std::int32_t tmHeight = 0; // ascent + descent
    std::int32_t tmAscent = 0;
    std::int32_t tmDescent = 0;
    std::int32_t tmInternalLeading = 0; // tmHeight minus the em height
    std::int32_t tmExternalLeading = 0;
    std::int32_t tmAveCharWidth = 0;
    std::int32_t tmMaxCharWidth = 0;
    std::int32_t tmWeight = 0;
    std::int32_t tmOverhang = 0;
    std::uint8_t tmItalic = 0;
    std::uint8_t tmUnderlined = 0;
    std::uint8_t tmStruckOut = 0;
    std::uint8_t tmPitchAndFamily = 0;
    std::uint8_t tmCharSet = 0;
};

// GetDeviceCaps indexes
inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;

// Stock objects
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int SYSTEM_FONT = 13;

// Pen styles
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_NULL = 5;

// Background modes
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// DrawTextA formats
inline constexpr unsigned DT_LEFT = 0;
inline constexpr unsigned DT_CENTER = 1;
inline constexpr unsigned DT_RIGHT = 2;
inline constexpr unsigned DT_CALCRECT = 1024;

// What a handle stands for.
enum class GdiKind { None, Font, Brush, Pen };

struct GdiFont {
    LOGFONTA logFont;
    QFont font; // the face the machine has for it
};

struct GdiBrush {
    bool hollow = false; // the null brush paints nothing
    Rgb color = kWhite;
};

struct GdiPen {
    int style = PS_SOLID;
    int width = 1;
    Rgb color = kBlack;
};

GdiKind KindOf(HGDIOBJ object);
const GdiFont* FontOf(HGDIOBJ object);
const GdiBrush* BrushOf(HGDIOBJ object);
const GdiPen* PenOf(HGDIOBJ object);

// Objects created and not yet deleted (stock objects are not counted).
int LiveGdiObjects();
// DeleteObject calls that named no live object (already deleted, or never created).
int FailedGdiDeletes();

// One call made on a device context, as a recording context keeps it.
struct GdiCall {
    std::string function;
    std::vector<std::int64_t> args;
    QByteArray text;
};

// A drawing target. The selection and text state live here and behave the
// same on every target; a target supplies its resolution, font
// measurement, solid fills and text output.
class DeviceContext {
public:
    DeviceContext();
    virtual ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    HFONT font;
    HBRUSH brush;
    HPEN pen;
    Rgb textColor = kBlack;
    Rgb bkColor = kWhite;
    int bkMode = OPAQUE;
    int charExtra = 0;

    virtual int Caps(int index) const = 0;
    virtual TEXTMETRICA Metrics(const GdiFont& font) = 0;
    // Advance width of the text in the font, without character extra.
    virtual int Advance(const GdiFont& font, std::string_view text) = 0;
    // Paints the device pixels [r.left, r.right) x [r.top, r.bottom).
    virtual void Fill(const RECT& r, Rgb color) = 0;
    // One line of text with its cell's top-left corner at (x, y).
    virtual void TextLine(int x, int y, const GdiFont& font, std::string_view text) = 0;
    // Sees every call made on this context before it runs, when `traced`
    // is set (a call's record is not made otherwise: drawing a symbol
    // makes dozens of calls).
    virtual void Trace(const GdiCall&) {}
    bool traced = false;
};

// The device context of a drawing surface: what is drawn lands on the
// surface as it would on a picture box (its raster, when it has one, and
// its vector drawing).
class SurfaceDC : public DeviceContext {
public:
    explicit SurfaceDC(Surface& surface);

    int Caps(int index) const override;
    TEXTMETRICA Metrics(const GdiFont& font) override;
    int Advance(const GdiFont& font, std::string_view text) override;
    void Fill(const RECT& r, Rgb color) override;
    void TextLine(int x, int y, const GdiFont& font, std::string_view text) override;

private:
    Surface& surface_;
    // The last text measured and its advance: a caption is measured for
    // its extent, again to be placed and again to be drawn.
    QFont measuredFont_;
    std::string measuredText_;
    int measuredAdvance_ = -1;
};
using PictureBoxDC = SurfaceDC;

// --- the functions, with the platform's names and meanings ---
HFONT CreateFontIndirectA(const LOGFONTA* logFont);
HBRUSH CreateSolidBrush(Rgb color);
HPEN CreatePen(int style, int width, Rgb color);
HGDIOBJ GetStockObject(int index);
bool DeleteObject(HGDIOBJ object);
// Selects the object into the context; returns the one of its kind it replaces (Null on failure).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

int GetDeviceCaps(HDC dc, int index);
// a * b / c with a 64-bit product, rounded half away from zero; -1 when c is 0 or the result overflows.
int MulDiv(int a, int b, int c);
bool GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
// count < 0: up to the terminating zero.
bool GetTextExtentPoint32A(HDC dc, const char* text, int count, SIZE* size);

// Outlines with the selected pen and fills with the selected brush; the
// right and bottom edges are excluded, so the shape covers exactly
// (right - left) x (bottom - top) pixels.
bool Rectangle(HDC dc, int left, int top, int right, int bottom);
Rgb SetTextColor(HDC dc, Rgb color);   // returns the previous colour
int SetBkMode(HDC dc, int mode);       // returns the previous mode
int SetTextCharacterExtra(HDC dc, int extra); // returns the previous extra
bool SetRect(RECT* rect, int left, int top, int right, int bottom);
// Draws text in a rectangle with the selected font, text colour and
// character extra; line breaks start new lines; the text is not clipped to
// the rectangle. With DT_CALCRECT nothing is drawn and the rectangle's right
// and bottom edges move to the text's extent. Returns the text's height.
int DrawTextA(HDC dc, const char* text, int count, RECT* rect, unsigned format);

// Text as the "A" functions take it: Windows-1252 bytes, "?" for characters
// the code page lacks.
QByteArray AnsiBytes(const QString& text);

} // namespace graphics
