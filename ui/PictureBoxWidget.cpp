#include "ui/PictureBoxWidget.h"

#include "core/Units.h"

#include <QPainter>
#include <cmath>

namespace ui {
namespace {
int Px(double twips) { return static_cast<int>(std::lround(core::TwipsToPixels(twips))); }

// True when every pixel has the colour of the first one.
bool OneColour(const QImage& image)
{
    if (image.isNull() || image.depth() != 32)
        return image.isNull();
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] != first)
                return false;
    }
    return true;
}
bool WholeRatio(double dpr) { return dpr == std::floor(dpr); }

// The grid of the screen's own pixels.
graphics::DeviceGrid ScreenGrid(double dpr) { return graphics::DeviceGrid(core::kSurfaceDpi * dpr, core::kSurfaceDpi * dpr); }

} // namespace

PictureBoxWidget::PictureBoxWidget(graphics::PictureBox& box, QWidget* parent) : QFrame(parent), box_(box)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    box_.OnChanged = [this] { sync(); };
    sync();
}

double PictureBoxWidget::Scale() const
{
    const double dpr = devicePixelRatioF();
    if (WholeRatio(dpr))
        return 1;
    return ScreenGrid(dpr).UnitsPerPixel(box_.CurrentDrawing().module) / dpr;
}

QRect PictureBoxWidget::ShownInk() const
{
    const QRect ink = box_.CurrentDrawing().Bounds();
    if (ink.isEmpty())
        return {};
    const double s = Scale();
    const int rows = graphics::QuietZoneRows(box_.CurrentDrawing());
    const QRect scaled(QPoint(static_cast<int>(std::floor(ink.left() * s)), static_cast<int>(std::floor(ink.top() * s))),
                       QPoint(static_cast<int>(std::ceil((ink.right() + 1) * s)) - 1,
                              static_cast<int>(std::ceil((ink.bottom() + 1) * s)) - 1));
    return scaled.translated(ImageLeft(), frameWidth())
        .adjusted(-quiet_, -static_cast<int>(std::ceil(rows * s)), quiet_, static_cast<int>(std::ceil(rows * s)) + 2 * frameWidth());
}

void PictureBoxWidget::sync()
{
    const int fw = frameWidth();
    const double s = Scale();
    quiet_ = static_cast<int>(std::ceil(graphics::QuietZonePixels(box_.CurrentDrawing()) * s));
    const int w = static_cast<int>(std::ceil(box_.Image().width() * s)), h = static_cast<int>(std::ceil(box_.Image().height() * s));
    const QRect want(Px(box_.Left()) - fw, Px(box_.Top()) - fw, w + 2 * (fw + quiet_), h + 2 * fw);
    if (geometry() != want)
        setGeometry(want);
    if (isVisibleTo(parentWidget()) != box_.Visible())
        setVisible(box_.Visible());
    update();
}

void PictureBoxWidget::paintEvent(QPaintEvent* event)
{
    // Checked here rather than on every change: a drawer changes the box
    // once per bar, the screen is painted once.
    if (OneColour(box_.Image()))
        return;
    QFrame::paintEvent(event);
    QPainter p(this);
    // The symbol with white of ten modules on both sides, as a reader needs.
    p.fillRect(contentsRect(), Qt::white);
    const double dpr = devicePixelRatioF();
    if (WholeRatio(dpr)) {
        p.drawImage(frameWidth() + quiet_, frameWidth(), box_.Image());
        return;
    }
    // Scaled by a fraction, the picture's one-pixel modules would come out
    // one and two device pixels wide in turn: the drawing is replayed in
    // device pixels instead, every module on whole ones, the text as text.
    const QPointF corner = p.deviceTransform().map(QPointF(frameWidth() + quiet_, frameWidth()));
    p.setWorldTransform(p.deviceTransform().inverted() * p.worldTransform());
    graphics::Replay(box_.CurrentDrawing(), p, QPointF(std::round(corner.x()), std::round(corner.y())), ScreenGrid(dpr));
}

} // namespace ui
