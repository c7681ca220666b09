#include "platform/PictureBox.h"

#include "platform/Units.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace platform {
namespace {

constexpr int kDotsPerMeter = 3780; // 96 dpi

// Whole pixels, held to what a raster image can be.
int PixelsOf(double twips, int most = PictureBox::kMaxPixels)
{
    return static_cast<int>(std::clamp(std::round(TwipsToPixels(twips)), 0.0, double(most)));
}

QImage BlankImage(int w, int h, Rgb back)
{
    QImage img(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
    img.setDotsPerMeterX(kDotsPerMeter);
    img.setDotsPerMeterY(kDotsPerMeter);
    img.fill(ToQColor(back));
    return img;
}

// First pixel whose centre lies at or right of the edge.
int FirstCovered(double edge) { return static_cast<int>(std::ceil(edge - 0.5)); }

} // namespace

PictureBox::PictureBox(double leftTwips, double topTwips, double widthTwips, double heightTwips)
    : left_(leftTwips), top_(topTwips), width_(PixelsToTwips(PixelsOf(widthTwips))),
      height_(PixelsToTwips(PixelsOf(heightTwips, kMaxHeightPixels)))
{
    font_.setFamily(QStringLiteral("Sans Serif"));
    font_.setStyleHint(QFont::SansSerif);
    font_.setPointSizeF(8);
    image_ = BlankImage(PixelsOf(width_), PixelsOf(height_), backColor_);
    updateScale();
}

void PictureBox::SetLeft(double twips) { left_ = twips; notify(); }
void PictureBox::SetTop(double twips) { top_ = twips; notify(); }

bool PictureBox::SetWidth(double twips)
{
    if (!(twips >= 0) || !std::isfinite(twips))
        return false;
    width_ = PixelsToTwips(PixelsOf(twips)); // boxes are whole pixels wide

    resizeRaster();
    return true;
}

bool PictureBox::SetHeight(double twips)
{
    if (!(twips >= 0) || !std::isfinite(twips))
        return false;
    height_ = PixelsToTwips(PixelsOf(twips, kMaxHeightPixels));

    resizeRaster();
    return true;
}

void PictureBox::resizeRaster()
{
    const int w = std::max(PixelsOf(width_), 1), h = std::max(PixelsOf(height_), 1);
    if (w != image_.width() || h != image_.height()) {
        // The drawing stays at the top-left; new area shows the background.
        QImage next = BlankImage(w, h, backColor_);
        QPainter p(&next);
        p.drawImage(0, 0, image_);
        p.end();
        image_ = next;
    }
    updateScale();
    notify();
}

void PictureBox::updateScale()
{
    const double wPx = TwipsToPixels(width_), hPx = TwipsToPixels(height_);
    switch (mode_) {
    case ScaleMode::Pixels:
        scaleLeft_ = scaleTop_ = 0;
        scaleWidth_ = wPx;
        scaleHeight_ = hPx;
        break;
    case ScaleMode::Twips:
        scaleLeft_ = scaleTop_ = 0;
        scaleWidth_ = PixelsToTwips(wPx);
        scaleHeight_ = PixelsToTwips(hPx);
        break;
    case ScaleMode::User:
        break; // a user scale keeps its units when the box is resized
    }
}

void PictureBox::SetScaleMode(ScaleMode mode)
{
    mode_ = mode;
    updateScale();
}

void PictureBox::SetUserScale(double left, double top, double width, double height)
{
    mode_ = ScaleMode::User;
    scaleLeft_ = left;
    scaleTop_ = top;
    scaleWidth_ = width;
    scaleHeight_ = height;
}

double PictureBox::PixelsPerUnitX() const { return scaleWidth_ != 0 ? TwipsToPixels(width_) / scaleWidth_ : 0; }
double PictureBox::PixelsPerUnitY() const { return scaleHeight_ != 0 ? TwipsToPixels(height_) / scaleHeight_ : 0; }
double PictureBox::ToPixelX(double x) const { return (x - scaleLeft_) * PixelsPerUnitX(); }
double PictureBox::ToPixelY(double y) const { return (y - scaleTop_) * PixelsPerUnitY(); }

void PictureBox::repaintBackground()
{
    // A raster shared with a snapshot would be copied only to be painted
    // over; start a new one instead.
    if (!image_.isDetached())
        image_ = BlankImage(image_.width(), image_.height(), backColor_);
    else
        image_.fill(ToQColor(backColor_));
    if (picture_) {
        QPainter p(&image_);
        p.drawImage(0, 0, *picture_);
    }
}

void PictureBox::Cls()
{
    repaintBackground();
    CurrentX = scaleLeft_;
    CurrentY = scaleTop_;
    notify();
}

void PictureBox::SetBackColor(Rgb color)
{
    backColor_ = color;
    Cls();
}

void PictureBox::SetPicture(std::optional<QImage> picture)
{
    picture_ = std::move(picture);
    repaintBackground();
    notify();
}

void PictureBox::LineBoxFilled(double x1, double y1, double x2, double y2, std::optional<Rgb> color)
{
    double px1 = ToPixelX(x1), px2 = ToPixelX(x2), py1 = ToPixelY(y1), py2 = ToPixelY(y2);
    if (px1 > px2)
        std::swap(px1, px2);
    if (py1 > py2)
        std::swap(py1, py2);
    const int left = std::max(FirstCovered(px1), 0);
    const int right = std::min(FirstCovered(px2), image_.width()); // exclusive
    const int top = std::max(FirstCovered(py1), 0);
    const int bottom = std::min(FirstCovered(py2), image_.height());
    if (left >= right || top >= bottom)
        return;
    const QRgb fill = ToQColor(color.value_or(ForeColor)).rgb();
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::fill(row + left, row + right, fill);
    }
    notify();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, std::optional<Rgb> color)
{
    const QColor c = ToQColor(color.value_or(ForeColor));
    const double px1 = ToPixelX(x1), py1 = ToPixelY(y1), px2 = ToPixelX(x2), py2 = ToPixelY(y2);
    const int w = std::max(DrawWidth, 1);
    // Axis-parallel lines are the common case; fill them as exact pixel
    // runs so a line w pixels wide is w pixels wide.
    if (px1 == px2 || py1 == py2) {
        const int cx = static_cast<int>(std::floor(px1)), cy = static_cast<int>(std::floor(py1));
        const int ex = static_cast<int>(std::floor(px2)), ey = static_cast<int>(std::floor(py2));
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
        l = std::max(l, 0);
        t = std::max(t, 0);
        r = std::min(r, image_.width());
        b = std::min(b, image_.height());
        const QRgb fill = c.rgb();
        for (int y = t; y < b; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
            for (int x = l; x < r; ++x)
                row[x] = fill;
        }
    } else {
        QPainter p(&image_);
        p.setPen(QPen(c, w));
        p.drawLine(QPointF(px1, py1), QPointF(px2, py2));
    }
    CurrentX = x2;
    CurrentY = y2;
    notify();
}

void PictureBox::SetFontSize(double points)
{
    if (points > 0 && std::isfinite(points))
        font_.setPointSizeF(std::min(points, 2048.0));
}

double PictureBox::TextWidth(const QString& text) const
{
    QImage probe = image_; // shares data; metrics need the surface's resolution
    QFontMetricsF fm(font_, &probe);
    const double px = fm.horizontalAdvance(text);
    return PixelsPerUnitX() > 0 ? px / PixelsPerUnitX() : 0;
}

double PictureBox::TextHeight(const QString& text) const
{
    QImage probe = image_;
    QFontMetricsF fm(font_, &probe);
    const int lines = std::max<qsizetype>(1, text.count(QLatin1Char('\n')) + 1);
    const double px = fm.height() * lines;
    return PixelsPerUnitY() > 0 ? px / PixelsPerUnitY() : 0;
}

void PictureBox::Print(const QString& text)
{
    QPainter p(&image_);
    p.setFont(font_);
    p.setPen(ToQColor(ForeColor));
    QFontMetricsF fm(font_, &image_);
    const double x = ToPixelX(CurrentX);
    double y = ToPixelY(CurrentY);
    const auto lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        QString l = line;
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
        p.drawText(QPointF(x, y + fm.ascent()), l);
        y += fm.height();
    }
    p.end();
    CurrentX = scaleLeft_;
    CurrentY += TextHeight(text);
    notify();
}

void PictureBox::SetVisible(bool visible)
{
    visible_ = visible;
    notify();
}

void PictureBox::notify()
{
    if (OnChanged)
        OnChanged();
}

} // namespace platform
