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
    QFrame::paintEvent(event);
    QPainter p(this);
    // The symbol with white of ten modules on both sides, as a reader needs.
    p.fillRect(contentsRect(), Qt::white);
    p.drawImage(frameWidth() + quiet_, frameWidth(), box_.Image());
}

} // namespace platform
