#include "graphics/PictureBox.h"

#include <QPainter>
#include <algorithm>

namespace graphics {
namespace {

constexpr int kDotsPerMeter = 3780; // 96 dpi

QImage BlankImage(int w, int h, Rgb back)
{
    QImage img(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
    img.setDotsPerMeterX(kDotsPerMeter);
    img.setDotsPerMeterY(kDotsPerMeter);
    img.fill(ToQColor(back));
    return img;
}

Drawing DrawingOfImage(const std::optional<QImage>& picture)
{
    Drawing d;
    if (picture) {
        d.size = picture->size();
        d.AddImage(*picture, QPoint(0, 0));
    }
    return d;
}

} // namespace

PictureBox::PictureBox(double leftTwips, double topTwips, double widthTwips, double heightTwips)
    : Surface(leftTwips, topTwips, widthTwips, heightTwips)
{
    image_ = BlankImage(PixelWidth(), PixelHeight(), BackColor());
}

void PictureBox::rasterResized()
{
    const int w = PixelWidth(), h = PixelHeight();
    if (w != image_.width() || h != image_.height()) {
        // The drawing stays at the top-left; new area shows the background.
        QImage next = BlankImage(w, h, BackColor());
        QPainter p(&next);
        p.drawImage(0, 0, image_);
        p.end();
        image_ = next;
    }
}

void PictureBox::rasterCleared()
{
    if (blank_ && !picture_ && image_.pixel(0, 0) == ToQColor(BackColor()).rgb())
        return; // already what a clear makes
    blank_ = !picture_;
    if (picture_ && picture_->size() == image_.size() && picture_->format() == image_.format()) {
        image_ = *picture_; // the picture covers the whole box: share it until the next drawing
        return;
    }
    // A raster shared with a snapshot would be copied only to be painted
    // over; start a new one instead.
    if (!image_.isDetached())
        image_ = BlankImage(image_.width(), image_.height(), BackColor());
    else
        image_.fill(ToQColor(BackColor()));
    if (picture_) {
        QPainter p(&image_);
        p.drawImage(0, 0, *picture_);
    }
}

void PictureBox::SetPicture(std::optional<QImage> picture)
{
    Drawing d = DrawingOfImage(picture);
    picture_ = std::move(picture);
    setPictureDrawing(std::move(d), picture_.has_value());
}

void PictureBox::SetPicture(QImage picture, Drawing drawing)
{
    picture_ = std::move(picture);
    setPictureDrawing(std::move(drawing), true);
}

void PictureBox::ClearPicture() { SetPicture(std::nullopt); }

void PictureBox::KeepImageAsPicture()
{
    picture_ = image_;
    Surface::KeepImageAsPicture();
}

void PictureBox::rasterRepaint()
{
    image_ = BlankImage(image_.width(), image_.height(), BackColor());
    QPainter p(&image_);
    CurrentDrawing().Paint(p);
    blank_ = CurrentDrawing().IsEmpty();
}

void PictureBox::rasterFill(const QRect& r, Rgb color)
{
    blank_ = false;
    const QRgb fill = ToQColor(color).rgb();
    uchar* bits = image_.bits(); // one detach for the whole box, not one per row
    const qsizetype stride = image_.bytesPerLine();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
        std::fill(row + r.left(), row + r.right() + 1, fill);
    }
}

void PictureBox::rasterLine(const QLineF& line, int width, Rgb color)
{
    blank_ = false;
    QPainter p(&image_);
    p.setPen(QPen(ToQColor(color), width));
    p.drawLine(line);
}

void PictureBox::rasterText(const DrawOp& text)
{
    blank_ = false;
    QPainter p(&image_);
    PaintOp(p, text);
}

void PictureBox::SetVisible(bool visible)
{
    visible_ = visible;
    changed();
}

void PictureBox::changed()
{
    if (OnChanged)
        OnChanged();
}

} // namespace graphics
