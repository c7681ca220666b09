#include "graphics/Surface.h"

#include "core/Units.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace graphics {
namespace {

constexpr int kDotsPerMeter = 3780; // 96 dpi

// Whole pixels, held to what a surface can be.
int PixelsOf(double twips, int most)
{
    return static_cast<int>(std::clamp(std::round(core::TwipsToPixels(twips)), 0.0, double(most)));
}

// First pixel whose centre lies at or right of the edge.
int FirstCovered(double edge)
{
    const double v = std::ceil(edge - 0.5);
    return static_cast<int>(std::clamp(v, -1e9, 1e9));
}

// Text is measured as a 96-dpi raster shows it, on every kind of surface.
const QImage& MetricsProbe()
{
    static const QImage probe = [] {
        QImage img(1, 1, QImage::Format_RGB32);
        img.setDotsPerMeterX(kDotsPerMeter);
        img.setDotsPerMeterY(kDotsPerMeter);
        return img;
    }();
    return probe;
}

} // namespace

Surface::Surface(double leftTwips, double topTwips, double widthTwips, double heightTwips)
    : left_(leftTwips), top_(topTwips), width_(core::PixelsToTwips(PixelsOf(widthTwips, kMaxPixels))),
      height_(core::PixelsToTwips(PixelsOf(heightTwips, kMaxHeightPixels)))
{
    // Every surface starts with one shared font: Qt finds the face once for
    // all copies, not once per surface (a Generate without a window makes
    // four).
    static thread_local const QFont defaultFont = [] {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setStyleHint(QFont::SansSerif);
        f.setPointSizeF(8);
        return f;
    }();
    font_ = defaultFont;
    pixelWidth_ = std::max(PixelsOf(width_, kMaxPixels), 1);
    pixelHeight_ = std::max(PixelsOf(height_, kMaxHeightPixels), 1);
    drawing_.size = QSize(pixelWidth_, pixelHeight_);
    updateScale();
}

void Surface::MoveTo(double x, double y)
{
    currentX_ = x;
    currentY_ = y;
}

bool Surface::SetWidth(double twips)
{
    if (!(twips >= 0) || !std::isfinite(twips))
        return false;
    width_ = core::PixelsToTwips(PixelsOf(twips, kMaxPixels)); // boxes are whole pixels wide
    resized();
    return true;
}

bool Surface::SetHeight(double twips)
{
    if (!(twips >= 0) || !std::isfinite(twips))
        return false;
    height_ = core::PixelsToTwips(PixelsOf(twips, kMaxHeightPixels));
    resized();
    return true;
}

void Surface::resized()
{
    pixelWidth_ = std::max(PixelsOf(width_, kMaxPixels), 1);
    pixelHeight_ = std::max(PixelsOf(height_, kMaxHeightPixels), 1);
    drawing_.size = QSize(pixelWidth_, pixelHeight_);
    rasterResized();
    updateScale();
    changed();
}

void Surface::updateScale()
{
    const double wPx = core::TwipsToPixels(width_), hPx = core::TwipsToPixels(height_);
    switch (mode_) {
    case ScaleMode::Pixels:
        scaleLeft_ = scaleTop_ = 0;
        scaleWidth_ = wPx;
        scaleHeight_ = hPx;
        break;
    case ScaleMode::Twips:
        scaleLeft_ = scaleTop_ = 0;
        scaleWidth_ = core::PixelsToTwips(wPx);
        scaleHeight_ = core::PixelsToTwips(hPx);
        break;
    case ScaleMode::User:
        break; // a user scale keeps its units when the box is resized
    }
}

void Surface::SetScaleMode(ScaleMode mode)
{
    mode_ = mode;
    updateScale();
}

void Surface::SetUserScale(double left, double top, double width, double height)
{
    mode_ = ScaleMode::User;
    scaleLeft_ = left;
    scaleTop_ = top;
    scaleWidth_ = width;
    scaleHeight_ = height;
}

double Surface::PixelsPerUnitX() const { return scaleWidth_ != 0 ? core::TwipsToPixels(width_) / scaleWidth_ : 0; }
double Surface::PixelsPerUnitY() const { return scaleHeight_ != 0 ? core::TwipsToPixels(height_) / scaleHeight_ : 0; }
double Surface::ToPixelX(double x) const { return (x - scaleLeft_) * PixelsPerUnitX(); }
double Surface::ToPixelY(double y) const { return (y - scaleTop_) * PixelsPerUnitY(); }

void Surface::restart()
{
    ink_ = hasPicture_ ? QRect(0, 0, pixelWidth_, pixelHeight_) : QRect();
    drawing_ = Drawing();
    drawing_.size = QSize(pixelWidth_, pixelHeight_);
    if (backColor_ != kWhite)
        drawing_.AddFill(QRect(0, 0, pixelWidth_, pixelHeight_), backColor_);
    if (hasPicture_) {
        drawing_.module = pictureDrawing_.module;
        drawing_.moduleOrigin = pictureDrawing_.moduleOrigin;
        drawing_.quietModules = pictureDrawing_.quietModules;
        drawing_.quietAbove = pictureDrawing_.quietAbove;
        drawing_.Append(pictureDrawing_);
    }
}

void Surface::Cls()
{
    restart();
    rasterCleared();
    currentX_ = scaleLeft_;
    currentY_ = scaleTop_;
    changed();
}

void Surface::SetBackColor(Rgb color)
{
    backColor_ = color;
    Cls();
}

void Surface::setPictureDrawing(Drawing drawing, bool hasPicture)
{
    pictureDrawing_ = std::move(drawing);
    hasPicture_ = hasPicture;
    restart();
    rasterCleared();
    changed();
}

void Surface::ClearPicture() { setPictureDrawing(Drawing(), false); }

void Surface::KeepImageAsPicture()
{
    Drawing now = drawing_;
    setPictureDrawing(std::move(now), true);
}

void Surface::SetModule(double width, double originX)
{
    const double w = width * PixelsPerUnitX();
    if (w > 0 && std::isfinite(w)) {
        drawing_.module = w;
        drawing_.moduleOrigin = std::isfinite(originX) ? ToPixelX(originX) : 0;
    }
}

void Surface::SetQuietZone(double modules, bool above)
{
    drawing_.quietModules = modules;
    drawing_.quietAbove = above;
}

void Surface::GrowToHold()
{
    const QRect drawn = drawing_.Bounds();
    if (drawn.isEmpty() || (drawn.right() < pixelWidth_ && drawn.bottom() < pixelHeight_))
        return;
    const int w = std::min(std::max(pixelWidth_, drawn.right() + 1), kMaxPixels);
    const int h = std::min(std::max(pixelHeight_, drawn.bottom() + 1), kMaxHeightPixels);
    width_ = core::PixelsToTwips(w);
    height_ = core::PixelsToTwips(h);
    resized();
    rasterRepaint();
    changed();
}

void Surface::FillPixels(const QRect& pixels, Rgb color)
{
    const QRect r = pixels.intersected(QRect(0, 0, pixelWidth_, pixelHeight_));
    if (r.isEmpty())
        return;
    if (color == backColor_ && !ink_.intersects(r))
        return;
    if (color != backColor_)
        ink_ = ink_.united(r);
    drawing_.AddFill(r, color);
    rasterFill(r, color);
    changed();
}

void Surface::DrawTextPixels(const DrawOp& text)
{
    if (!text.text || text.text->text.isEmpty())
        return;
    DrawOp op = text;
    op.kind = DrawOp::Kind::Text;
    ink_ = QRect(0, 0, pixelWidth_, pixelHeight_); // glyphs reach beyond any box worth computing
    drawing_.AddText(op);
    rasterText(op);
    changed();
}

void Surface::LineBoxFilled(double x1, double y1, double x2, double y2, std::optional<Rgb> color)
{
    double px1 = ToPixelX(x1), px2 = ToPixelX(x2), py1 = ToPixelY(y1), py2 = ToPixelY(y2);
    if (px1 > px2)
        std::swap(px1, px2);
    if (py1 > py2)
        std::swap(py1, py2);
    const int left = std::max(FirstCovered(px1), 0);
    const int right = std::min(FirstCovered(px2), pixelWidth_); // exclusive
    const int top = std::max(FirstCovered(py1), 0);
    const int bottom = std::min(FirstCovered(py2), pixelHeight_);
    if (left >= right || top >= bottom)
        return;
    FillPixels(QRect(left, top, right - left, bottom - top), color.value_or(foreColor_));
}

void Surface::Line(double x1, double y1, double x2, double y2, std::optional<Rgb> color)
{
    const Rgb c = color.value_or(foreColor_);
    const double px1 = ToPixelX(x1), py1 = ToPixelY(y1), px2 = ToPixelX(x2), py2 = ToPixelY(y2);
    const int w = std::max(drawWidth_, 1);
    // Axis-parallel lines are the common case; they cover exact pixel runs,
    // so a line w pixels wide is w pixels wide.
    if (px1 == px2 || py1 == py2) {
        auto whole = [](double v) { return static_cast<int>(std::clamp(std::floor(v), -1e9, 1e9)); };
        const int cx = whole(px1), cy = whole(py1), ex = whole(px2), ey = whole(py2);
        const int half = (w - 1) / 2;
        int l, r, t, b; // inclusive-exclusive pixel rectangle
        if (px1 == px2) {
            l = cx - half;
            r = l + w;
            t = std::min(cy, ey);
            b = std::max(cy, ey);
            if (t == b)
                b = t + 1;
            else if (ey < cy)
                ++t, ++b; // end point excluded whichever way the line runs
        } else {
            t = cy - half;
            b = t + w;
            l = std::min(cx, ex);
            r = std::max(cx, ex);
            if (ex < cx)
                ++l, ++r;
        }
        FillPixels(QRect(QPoint(l, t), QPoint(r - 1, b - 1)), c);
    } else {
        const QLineF line(px1, py1, px2, py2);
        ink_ = QRect(0, 0, pixelWidth_, pixelHeight_);
        drawing_.AddLine(line, w, c);
        rasterLine(line, w, c);
        changed();
    }
    currentX_ = x2;
    currentY_ = y2;
}

const Surface::FontMeasures& Surface::measures() const
{
    // Measured once per size: each new measure makes Qt find the face again
    // for the probe's resolution, which cost more than the drawing. A
    // surface's font changes only in size (its family and style are every
    // surface's), so the size is the key.
    static thread_local std::vector<FontMeasures> known;
    const double size = font_.pointSizeF();
    for (const FontMeasures& m : known)
        if (m.size == size)
            return m;
    if (known.size() >= 32)
        known.clear();
    const QFontMetricsF fm(font_, &MetricsProbe());
    known.push_back({size, fm, fm.height(), fm.ascent(), {}, 0});
    return known.back();
}

double Surface::FontMeasures::Advance(const QString& text) const
{
    if (text != lastText) {
        lastAdvance = metrics.horizontalAdvance(text);
        lastText = text;
    }
    return lastAdvance;
}

void Surface::SetFontSize(double points)
{
    if (points > 0 && std::isfinite(points) && std::min(points, 2048.0) != font_.pointSizeF())
        font_.setPointSizeF(std::min(points, 2048.0));
}

double Surface::TextWidth(const QString& text) const
{
    const double px = measures().Advance(text);
    return PixelsPerUnitX() > 0 ? px / PixelsPerUnitX() : 0;
}

double Surface::TextHeight(const QString& text) const
{
    const int lines = std::max<qsizetype>(1, text.count(QLatin1Char('\n')) + 1);
    const double px = measures().height * lines;
    return PixelsPerUnitY() > 0 ? px / PixelsPerUnitY() : 0;
}

void Surface::Print(const QString& text)
{
    const FontMeasures& fm = measures();
    DrawOp op;
    op.color = foreColor_;
    const double x = ToPixelX(currentX_);
    double y = ToPixelY(currentY_);
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        auto t = std::make_shared<DrawText>();
        t->font = font_;
        t->pixelSize = core::PointsToPixels(font_.pointSizeF());
        t->text = line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line;
        // One character (EAN prints its digits one by one) needs no shaping.
        t->advance = t->text.size() == 1 ? fm.metrics.horizontalAdvance(t->text[0]) : fm.Advance(t->text);
        op.baseline = QPointF(x, y + fm.ascent);
        op.text = std::move(t);
        DrawTextPixels(op);
        y += fm.height;
    }
    currentX_ = scaleLeft_;
    currentY_ += TextHeight(text);
    changed();
}

} // namespace graphics
