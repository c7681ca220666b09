#include "platform/PictureBoxWidget.h"

#include "platform/Units.h"

#include <QPainter>
#include <cmath>

namespace platform {
namespace {
int Px(double twips) { return static_cast<int>(std::lround(TwipsToPixels(twips))); }
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
    const QRect want(Px(box_.Left()) - fw, Px(box_.Top()) - fw, box_.Raster().width() + 2 * fw,
                     box_.Raster().height() + 2 * fw);
    if (geometry() != want)
        setGeometry(want);
    if (isVisibleTo(parentWidget()) != box_.Visible())
        setVisible(box_.Visible());
    update();
}

void PictureBoxWidget::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    p.drawImage(frameWidth(), frameWidth(), box_.Raster());
}

} // namespace platform
