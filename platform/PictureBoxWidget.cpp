#include "platform/PictureBoxWidget.h"

#include "platform/Units.h"

#include <QPainter>
#include <cmath>

namespace platform {
namespace {
int Px(double twips) { return static_cast<int>(std::lround(TwipsToPixels(twips))); }

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
} // namespace

PictureBoxWidget::PictureBoxWidget(PictureBox& box, QWidget* parent) : QFrame(parent), box_(box)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    box_.OnChanged = [this] { sync(); };
    sync();
}

void PictureBoxWidget::sync()
{
    const int fw = frameWidth();
    quiet_ = QuietZonePixels(box_.CurrentDrawing());
    const QRect want(Px(box_.Left()) - fw, Px(box_.Top()) - fw, box_.Image().width() + 2 * (fw + quiet_),
                     box_.Image().height() + 2 * fw);
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
    p.drawImage(frameWidth() + quiet_, frameWidth(), box_.Image());
}

} // namespace platform
