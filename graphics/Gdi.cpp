#include "graphics/Gdi.h"

#include "core/Cp1252.h"
#include "core/Units.h"
#include "graphics/Surface.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <utility>
#include <variant>

namespace graphics {
namespace {

using Object = std::variant<GdiFont, GdiBrush, GdiPen>;

// Stock objects live at fixed handles above every created one and are never counted.
constexpr std::uint32_t kStockBase = 0x8000'0000u;

struct ObjectTable {
    std::unordered_map<std::uint32_t, Object> objects;
    std::uint32_t next = 1;
    int live = 0;
    int failedDeletes = 0;

    ObjectTable();

    HGDIOBJ Add(Object o)
    {
        const std::uint32_t id = next++;
        objects.emplace(id, std::move(o));
        ++live;
        return static_cast<HGDIOBJ>(id);
    }
    const Object* Find(HGDIOBJ h) const
    {
        const auto it = objects.find(static_cast<std::uint32_t>(h));
        return it == objects.end() ? nullptr : &it->second;
    }
};

ObjectTable& Table()
{
    static ObjectTable table; // one thread draws; the table lives for the run
    return table;
}

bool IsStock(HGDIOBJ h) { return static_cast<std::uint32_t>(h) >= kStockBase; }
HGDIOBJ StockHandle(int index) { return static_cast<HGDIOBJ>(kStockBase + static_cast<std::uint32_t>(index)); }

// A face the machine lacks ("MS Sans Serif" on Linux) becomes the generic
// family its pitch-and-family byte asks for.
bool HasFamily(const QString& face)
{
    static QHash<QString, bool> known;
    const auto it = known.constFind(face);
    if (it != known.constEnd())
        return *it;
    const bool has = QFontDatabase::hasFamily(face);
    known.insert(face, has);
    return has;
}

QFont::StyleHint HintOf(std::uint8_t pitchAndFamily)
{
    if ((pitchAndFamily & 0x03) == 1) // FIXED_PITCH
        return QFont::Monospace;
    switch (pitchAndFamily & 0xF0) {
    case 0x10: return QFont::Serif;      // FF_ROMAN
    case 0x30: return QFont::Monospace;  // FF_MODERN
    case 0x40: return QFont::Cursive;    // FF_SCRIPT
    case 0x50: return QFont::Decorative; // FF_DECORATIVE
    default: return QFont::SansSerif;    // FF_DONTCARE, FF_SWISS
    }
}

// The generic families are named DejaVu faces, not the platform's "Sans
// Serif": a drawing then measures its text the same on every machine that
// has them (the program's package depends on them). Where one is missing,
// the style hint still finds a face of the same kind.
QString GenericFamily(QFont::StyleHint hint)
{
    switch (hint) {
    case QFont::Serif: return QStringLiteral("DejaVu Serif");
    case QFont::Monospace: return QStringLiteral("DejaVu Sans Mono");
    default: return QStringLiteral("DejaVu Sans");
    }
}

// Glyphs beyond this many pixels are drawn as outlines and gain nothing on
// a picture box; the size is held there.
constexpr int kMaxFontPixels = 4096;

QFont QtFontFor(const LOGFONTA& lf)
{
    const QString face = core::FromCp1252(QByteArrayView(lf.lfFaceName, static_cast<qsizetype>(strnlen(lf.lfFaceName, LF_FACESIZE))));
    const QFont::StyleHint hint = HintOf(lf.lfPitchAndFamily);
    QFont f;
    f.setFamily(!face.isEmpty() && HasFamily(face) ? face : GenericFamily(hint));
    f.setStyleHint(hint);
    f.setKerning(false); // the platform's text output does not kern
    const int weight = lf.lfWeight <= 0 ? 400 : std::clamp(lf.lfWeight, 1, 1000);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);

    // A negative height is the character (em) height; a positive one the
    // cell height, which includes the internal leading.
    const std::int64_t h = lf.lfHeight;
    int em = 12;
    if (h < 0) {
        em = static_cast<int>(std::min<std::int64_t>(-h, kMaxFontPixels));
    } else if (h > 0) {
        const int cell = static_cast<int>(std::min<std::int64_t>(h, kMaxFontPixels));
        f.setPixelSize(cell);
        const QFontMetrics fm(f);
        const int full = std::max(fm.ascent() + fm.descent(), 1);
        em = std::max(1, (cell * cell + full / 2) / full);
    }
    f.setPixelSize(std::max(em, 1));
    return f;
}

ObjectTable::ObjectTable()
{
    auto stock = [this](int index, Object o) { objects.emplace(kStockBase + static_cast<std::uint32_t>(index), std::move(o)); };
    stock(WHITE_BRUSH, GdiBrush{false, kWhite});
    stock(BLACK_BRUSH, GdiBrush{false, kBlack});
    stock(NULL_BRUSH, GdiBrush{true, kWhite});
    stock(WHITE_PEN, GdiPen{PS_SOLID, 1, kWhite});
    stock(BLACK_PEN, GdiPen{PS_SOLID, 1, kBlack});
    stock(NULL_PEN, GdiPen{PS_NULL, 0, kBlack});
    LOGFONTA system;
    system.lfHeight = 16;
    system.lfWeight = 700;
    std::strcpy(system.lfFaceName, "System");
    stock(SYSTEM_FONT, GdiFont{system, QtFontFor(system)});
}

std::string_view View(const char* text, int count)
{
    if (!text)
        return {};
    return count < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(count));
}

const GdiFont& FontIn(HDC dc)
{
    if (const GdiFont* f = FontOf(dc->font))
        return *f;
    return *FontOf(StockHandle(SYSTEM_FONT));
}

// Device coordinates are 32-bit; sums of them are formed in 64 bits and
// held to the 32-bit range, so no caller's values can overflow.
int Clamp32(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int ExtentOf(HDC dc, const GdiFont& font, std::string_view line)
{
    return Clamp32(std::int64_t(dc->Advance(font, line)) + std::int64_t(line.size()) * dc->charExtra);
}

std::vector<std::string_view> Lines(std::string_view s)
{
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            out.push_back(s.substr(start, i - start));
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    out.push_back(s.substr(start));
    return out;
}

} // namespace

// ---------------------------------------------------------------- objects

GdiKind KindOf(HGDIOBJ object)
{
    const Object* o = Table().Find(object);
    if (!o)
        return GdiKind::None;
    return std::visit([](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, GdiFont>)
            return GdiKind::Font;
        else if constexpr (std::is_same_v<T, GdiBrush>)
            return GdiKind::Brush;
        else
            return GdiKind::Pen;
    }, *o);
}

const GdiFont* FontOf(HGDIOBJ object)
{
    const Object* o = Table().Find(object);
    return o ? std::get_if<GdiFont>(o) : nullptr;
}

const GdiBrush* BrushOf(HGDIOBJ object)
{
    const Object* o = Table().Find(object);
    return o ? std::get_if<GdiBrush>(o) : nullptr;
}

const GdiPen* PenOf(HGDIOBJ object)
{
    const Object* o = Table().Find(object);
    return o ? std::get_if<GdiPen>(o) : nullptr;
}

int LiveGdiObjects() { return Table().live; }
int FailedGdiDeletes() { return Table().failedDeletes; }

HFONT CreateFontIndirectA(const LOGFONTA* logFont)
{
    if (!logFont)
        return HGDIOBJ::Null;
    LOGFONTA lf = *logFont;
    lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    // The same logical font again (every Generate makes the caption's)
    // shares the face Qt found for it last time.
    static thread_local std::vector<GdiFont> recent;
    for (const GdiFont& f : recent)
        if (std::memcmp(&f.logFont, &lf, sizeof lf) == 0)
            return Table().Add(f);
    GdiFont made{lf, QtFontFor(lf)};
    if (recent.size() >= 16)
        recent.erase(recent.begin());
    recent.push_back(made);
    return Table().Add(made);
}

HBRUSH CreateSolidBrush(Rgb color) { return Table().Add(GdiBrush{false, color & 0xFFFFFF}); }

HPEN CreatePen(int style, int width, Rgb color)
{
    return Table().Add(GdiPen{style, std::max(width, 1), color & 0xFFFFFF});
}

HGDIOBJ GetStockObject(int index)
{
    const HGDIOBJ h = StockHandle(index);
    return Table().Find(h) ? h : HGDIOBJ::Null;
}

bool DeleteObject(HGDIOBJ object)
{
    ObjectTable& t = Table();
    if (IsStock(object))
        return t.Find(object) != nullptr; // stock objects stay; deleting them is harmless
    if (t.objects.erase(static_cast<std::uint32_t>(object)) == 0) {
        ++t.failedDeletes;
        return false;
    }
    --t.live;
    return true;
}

// ---------------------------------------------------------------- contexts

DeviceContext::DeviceContext()
    : font(GetStockObject(SYSTEM_FONT)), brush(GetStockObject(WHITE_BRUSH)), pen(GetStockObject(BLACK_PEN))
{
}

DeviceContext::~DeviceContext() = default;

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (!dc)
        return HGDIOBJ::Null;
    if (dc->traced)
        dc->Trace({"SelectObject", {static_cast<std::int64_t>(object)}, {}});
    HGDIOBJ* slot = nullptr;
    switch (KindOf(object)) {
    case GdiKind::Font: slot = &dc->font; break;
    case GdiKind::Brush: slot = &dc->brush; break;
    case GdiKind::Pen: slot = &dc->pen; break;
    case GdiKind::None: return HGDIOBJ::Null;
    }
    return std::exchange(*slot, object);
}

int GetDeviceCaps(HDC dc, int index)
{
    if (!dc)
        return 0;
    if (dc->traced)
        dc->Trace({"GetDeviceCaps", {index}, {}});
    return dc->Caps(index);
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const std::int64_t ap = p < 0 ? -p : p, ac = c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t q = (ap + ac / 2) / ac; // halves away from zero
    const std::int64_t r = ((p < 0) != (c < 0)) ? -q : q;
    if (r > std::numeric_limits<int>::max() || r < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(r);
}

bool GetTextMetricsA(HDC dc, TEXTMETRICA* metrics)
{
    if (!dc || !metrics)
        return false;
    if (dc->traced)
        dc->Trace({"GetTextMetricsA", {}, {}});
    *metrics = dc->Metrics(FontIn(dc));
    return true;
}

bool GetTextExtentPoint32A(HDC dc, const char* text, int count, SIZE* size)
{
    if (!dc || !size || (!text && count != 0))
        return false;
    const std::string_view s = View(text, count);
    if (dc->traced)
        dc->Trace({"GetTextExtentPoint32A", {}, QByteArray(s.data(), static_cast<qsizetype>(s.size()))});
    const GdiFont& font = FontIn(dc);
    size->cx = ExtentOf(dc, font, s);
    size->cy = dc->Metrics(font).tmHeight;
    return true;
}

bool Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    if (!dc)
        return false;
    if (dc->traced)
        dc->Trace({"Rectangle", {left, top, right, bottom}, {}});
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (left == right || top == bottom)
        return true;
    const GdiPen* pen = PenOf(dc->pen);
    const GdiBrush* brush = BrushOf(dc->brush);
    const bool filled = brush && !brush->hollow;
    const int w = (pen && pen->style != PS_NULL) ? std::max(pen->width, 1) : 0;
    const RECT whole{left, top, right, bottom};
    if (w == 0) {
        if (filled)
            dc->Fill(whole, brush->color);
        return true;
    }
    // The outline lies inside the shape; a shape no wider than two outlines
    // is all outline, and an outline in the fill colour is one fill.
    const std::int64_t width = std::int64_t(right) - left, height = std::int64_t(bottom) - top;
    if (width <= 2 * w || height <= 2 * w || (filled && brush->color == pen->color)) {
        dc->Fill(whole, pen->color);
        return true;
    }
    if (filled)
        dc->Fill({left + w, top + w, right - w, bottom - w}, brush->color);
    dc->Fill({left, top, right, top + w}, pen->color);
    dc->Fill({left, bottom - w, right, bottom}, pen->color);
    dc->Fill({left, top + w, left + w, bottom - w}, pen->color);
    dc->Fill({right - w, top + w, right, bottom - w}, pen->color);
    return true;
}

Rgb SetTextColor(HDC dc, Rgb color)
{
    if (!dc)
        return -1;
    if (dc->traced)
        dc->Trace({"SetTextColor", {color}, {}});
    return std::exchange(dc->textColor, color & 0xFFFFFF);
}

int SetBkMode(HDC dc, int mode)
{
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    if (dc->traced)
        dc->Trace({"SetBkMode", {mode}, {}});
    return std::exchange(dc->bkMode, mode);
}

int SetTextCharacterExtra(HDC dc, int extra)
{
    if (!dc)
        return std::numeric_limits<int>::min();
    if (dc->traced)
        dc->Trace({"SetTextCharacterExtra", {extra}, {}});
    return std::exchange(dc->charExtra, extra);
}

bool SetRect(RECT* rect, int left, int top, int right, int bottom)
{
    if (!rect)
        return false;
    *rect = {left, top, right, bottom};
    return true;
}

int DrawTextA(HDC dc, const char* text, int count, RECT* rect, unsigned format)
{
    if (!dc || !rect)
        return 0;
    const std::string_view s = View(text, count);
    if (dc->traced)
        dc->Trace({"DrawTextA", {rect->left, rect->top, rect->right, rect->bottom, format},
               QByteArray(s.data(), static_cast<qsizetype>(s.size()))});
    const GdiFont& font = FontIn(dc);
    const int lineHeight = dc->Metrics(font).tmHeight;
    const auto lines = Lines(s);
    const int height = Clamp32(std::int64_t(lineHeight) * std::int64_t(lines.size()));
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (auto line : lines)
            widest = std::max(widest, ExtentOf(dc, font, line));
        rect->right = Clamp32(std::int64_t(rect->left) + widest);
        rect->bottom = Clamp32(std::int64_t(rect->top) + height);
        return height;
    }
    int y = rect->top;
    for (auto line : lines) {
        const int w = ExtentOf(dc, font, line);
        int x = rect->left;
        if (format & DT_CENTER)
            x = static_cast<int>((std::int64_t(rect->left) + rect->right - w) / 2);
        else if (format & DT_RIGHT)
            x = Clamp32(std::int64_t(rect->right) - w);
        if (!line.empty())
            dc->TextLine(x, y, font, line);
        y = Clamp32(std::int64_t(y) + lineHeight);
    }
    return height;
}

QByteArray AnsiBytes(const QString& text)
{
    // Never more bytes than characters: written in place, every symbol's
    // caption and font name pass through here.
    QByteArray out(text.size(), Qt::Uninitialized);
    char* at = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i; // one character, one replacement
        const auto code = core::Cp1252Code(c);
        *at++ = code ? static_cast<char>(*code) : '?';
    }
    out.truncate(at - out.constData());
    return out;
}

// ---------------------------------------------------------------- surface

SurfaceDC::SurfaceDC(Surface& surface) : surface_(surface) {}

int SurfaceDC::Caps(int index) const
{
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return static_cast<int>(core::kSurfaceDpi);
    case HORZRES: return surface_.PixelWidth();
    case VERTRES: return surface_.PixelHeight();
    default: return 0;
    }
}

TEXTMETRICA SurfaceDC::Metrics(const GdiFont& font)
{
    const QFontMetrics fm(font.font);
    TEXTMETRICA tm;
    tm.tmAscent = fm.ascent();
    tm.tmDescent = fm.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - font.font.pixelSize());
    tm.tmExternalLeading = std::max(0, fm.leading());
    tm.tmAveCharWidth = fm.averageCharWidth();
    tm.tmMaxCharWidth = fm.maxWidth();
    tm.tmWeight = font.logFont.lfWeight <= 0 ? 400 : font.logFont.lfWeight;
    tm.tmItalic = font.logFont.lfItalic;
    tm.tmUnderlined = font.logFont.lfUnderline;
    tm.tmStruckOut = font.logFont.lfStrikeOut;
    tm.tmPitchAndFamily = font.logFont.lfPitchAndFamily;
    tm.tmCharSet = font.logFont.lfCharSet;
    return tm;
}

int SurfaceDC::Advance(const GdiFont& font, std::string_view text)
{
    if (text.empty())
        return 0;
    if (measuredAdvance_ >= 0 && text == measuredText_ && font.font == measuredFont_)
        return measuredAdvance_;
    measuredAdvance_ =
        QFontMetrics(font.font).horizontalAdvance(core::FromCp1252(QByteArrayView(text.data(), static_cast<qsizetype>(text.size()))));
    measuredText_.assign(text);
    measuredFont_ = font.font;
    return measuredAdvance_;
}

void SurfaceDC::Fill(const RECT& r, Rgb color)
{
    if (r.left >= r.right || r.top >= r.bottom)
        return;
    surface_.FillPixels(QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)), color);
}

void SurfaceDC::TextLine(int x, int y, const GdiFont& font, std::string_view text)
{
    auto t = std::make_shared<DrawText>();
    t->text = core::FromCp1252(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    t->font = font.font;
    t->pixelSize = font.font.pixelSize();
    t->spacing = charExtra;
    QFont measured = font.font;
    if (charExtra != 0)
        measured.setLetterSpacing(QFont::AbsoluteSpacing, charExtra);
    const QFontMetrics fm(measured);
    t->advance = charExtra == 0 ? Advance(font, text) : fm.horizontalAdvance(t->text);
    const int escapement = font.logFont.lfEscapement % 3600;
    t->rotation = escapement / 10.0; // counter-clockwise, about the cell's top-left corner
    QTransform turn;
    turn.rotate(-t->rotation);
    DrawOp op;
    op.color = textColor;
    op.baseline = QPointF(x, y) + turn.map(QPointF(0, fm.ascent()));
    if (bkMode == OPAQUE && escapement == 0)
        Fill({x, y, Clamp32(std::int64_t(x) + static_cast<std::int64_t>(t->advance)), Clamp32(std::int64_t(y) + fm.ascent() + fm.descent())},
             bkColor);
    op.text = std::move(t);
    surface_.DrawTextPixels(op);
}

} // namespace graphics
