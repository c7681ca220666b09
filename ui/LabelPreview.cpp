#include "ui/LabelPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace ui {
namespace {

constexpr int kMarginPx = 14;    // grey around the label
constexpr double kGrabPx = 4;    // how far outside a thin part a click still takes it
constexpr double kMaxPictureDots = 4000; // the longest side of the picture painted

// Distance from a point to the segment a-b.
double DistanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

QRectF BoxMm(const QRect& dots, double dpi)
{
    return QRectF(labels::DotsToMm(dots.x(), dpi), labels::DotsToMm(dots.y(), dpi), labels::DotsToMm(dots.width(), dpi),
                  labels::DotsToMm(dots.height(), dpi));
}

// Where a part that can't be laid out is marked: what its fields say it
// covers, at least a few mm so that it can be seen and taken.
QRectF MarkedMm(const labels::Part& part)
{
    QRectF r = labels::KnownExtentMm(part);
    if (r.width() < 3)
        r.setWidth(std::holds_alternative<labels::TextPart>(part.what) ? 20 : 3);
    if (r.height() < 3)
        r.setHeight(std::holds_alternative<labels::TextPart>(part.what) ? 4 : 3);
    return r;
}

} // namespace

LabelPreview::LabelPreview(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void LabelPreview::Show(const labels::Label& label, const std::vector<core::Result<labels::LaidOutPart>>& parts, double dpi,
                        int selected)
{
    label_ = label;
    selected_ = selected;
    partsMm_.clear();
    drawn_.clear();
    laid_ = labels::LaidOutLabel{};
    laid_.dpi = dpi;
    laid_.sizeMm = label.sizeMm;
    for (size_t i = 0; i < label.parts.size() && i < parts.size(); ++i) {
        drawn_.push_back(parts[i].ok());
        if (parts[i].ok()) {
            partsMm_.push_back(BoxMm(parts[i]->box, dpi));
            laid_.parts.push_back(*parts[i]);
        } else {
            partsMm_.push_back(MarkedMm(label.parts[i]));
        }
    }
    PaintPicture();
}

void LabelPreview::PaintPicture()
{
    // The parts are painted on the layout's own dots, as a printer of that
    // resolution gets them; shown larger than that, on a whole number of
    // screen pixels a dot, so that every dot stays a square of pixels; a
    // very large label on fewer, so that its picture stays a few megabytes.
    const double dpi = laid_.dpi;
    const QSizeF mm = label_.sizeMm;
    if (!(dpi > 0)) {
        picture_ = QImage();
        update();
        return;
    }
    const double screenDpi = PixelsPerMm() * labels::kMmPerInch * devicePixelRatioF();
    double pictureDpi = dpi * std::max(1.0, std::ceil(screenDpi / dpi - 0.01));
    const double longestInches = std::max(mm.width(), mm.height()) / labels::kMmPerInch;
    if (longestInches > 0)
        pictureDpi = std::min(pictureDpi, kMaxPictureDots / longestInches);
    const QSize size(std::max(1, static_cast<int>(std::lround(labels::MmToDots(mm.width(), pictureDpi)))),
                     std::max(1, static_cast<int>(std::lround(labels::MmToDots(mm.height(), pictureDpi)))));
    if (picture_.size() != size)
        picture_ = QImage(size, QImage::Format_RGB32);
    picture_.fill(Qt::white);
    QPainter painter(&picture_);
    labels::PaintLabel(laid_, painter, QPointF(0, 0), graphics::DeviceGrid(pictureDpi, pictureDpi));
    painter.end();
    update();
}

void LabelPreview::resizeEvent(QResizeEvent*) { PaintPicture(); }

QRectF LabelPreview::LabelRect() const
{
    const QSizeF room = QSizeF(size()) - QSizeF(2 * kMarginPx, 2 * kMarginPx);
    const QSizeF mm = label_.sizeMm;
    if (mm.isEmpty() || room.isEmpty())
        return {};
    const QSizeF shown = mm.scaled(room, Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
}

double LabelPreview::PixelsPerMm() const
{
    return label_.sizeMm.width() > 0 ? LabelRect().width() / label_.sizeMm.width() : 0;
}

QPointF LabelPreview::WidgetPoint(QPointF mm) const { return LabelRect().topLeft() + mm * PixelsPerMm(); }

QRectF LabelPreview::WidgetRect(const QRectF& mm) const
{
    return QRectF(WidgetPoint(mm.topLeft()), mm.size() * PixelsPerMm());
}

QRectF LabelPreview::PartRectMm(int index) const
{
    return index >= 0 && index < static_cast<int>(partsMm_.size()) ? partsMm_[static_cast<size_t>(index)] : QRectF();
}

int LabelPreview::PartAt(QPointF p) const
{
    for (int i = static_cast<int>(partsMm_.size()) - 1; i >= 0; --i) {
        const labels::Part& part = label_.parts[static_cast<size_t>(i)];
        const QRectF r = WidgetRect(partsMm_[static_cast<size_t>(i)]);
        if (!r.adjusted(-kGrabPx, -kGrabPx, kGrabPx, kGrabPx).contains(p))
            continue;
        // A frame is taken by its edge and a line along its stroke: inside
        // a frame lie the parts it frames, and a slanted line's box is
        // mostly empty.
        if (const auto* box = std::get_if<labels::BoxPart>(&part.what)) {
            const double edge = box->strokeMm * PixelsPerMm() + kGrabPx;
            if (r.adjusted(edge, edge, -edge, -edge).contains(p))
                continue;
        } else if (const auto* line = std::get_if<labels::LinePart>(&part.what)) {
            const double reach = line->strokeMm * PixelsPerMm() / 2 + kGrabPx;
            if (DistanceToSegment(p, WidgetPoint(part.atMm), WidgetPoint(line->endMm)) > reach)
                continue;
        }
        return i;
    }
    return -1;
}

void LabelPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window).darker(118));
    const QRectF labelRect = LabelRect();
    if (labelRect.isEmpty())
        return;
    p.fillRect(labelRect.translated(3, 3), QColor(0, 0, 0, 60)); // a shadow: the label lies on the grey
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(labelRect, picture_);
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 0));
    p.drawRect(labelRect);

    p.setRenderHint(QPainter::Antialiasing);
    for (size_t i = 0; i < partsMm_.size(); ++i) {
        if (drawn_[i])
            continue;
        // A part that can't be drawn: where its fields place it, hatched.
        const QRectF r = WidgetRect(partsMm_[i]);
        p.fillRect(r, QBrush(QColor(200, 0, 0, 90), Qt::BDiagPattern));
        p.setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
        p.drawRect(r);
    }
    if (selected_ >= 0 && selected_ < static_cast<int>(partsMm_.size())) {
        const QRectF r = WidgetRect(partsMm_[static_cast<size_t>(selected_)]).adjusted(-2, -2, 2, 2);
        QPen pen(palette().color(QPalette::Highlight), hasFocus() ? 2 : 1, Qt::DashLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
    }
}

QPointF LabelPreview::OffsetMm(QPointF widgetPoint) const
{
    const double k = PixelsPerMm();
    return k > 0 ? (widgetPoint - pressedAt_) / k : QPointF();
}

void LabelPreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    const int index = PartAt(event->position());
    emit PartPressed(index);
    pressed_ = index >= 0;
    dragging_ = false;
    pressedAt_ = event->position();
}

void LabelPreview::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_)
        return QWidget::mouseMoveEvent(event);
    // A click that wobbles a pixel or two moves nothing.
    if (!dragging_ && (event->position() - pressedAt_).manhattanLength() < QApplication::startDragDistance())
        return;
    dragging_ = true;
    emit Dragging(OffsetMm(event->position()));
}

void LabelPreview::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return QWidget::mouseReleaseEvent(event);
    if (dragging_)
        emit DragEnded(OffsetMm(event->position()));
    pressed_ = dragging_ = false;
}

void LabelPreview::keyPressEvent(QKeyEvent* event)
{
    const double step = event->modifiers().testFlag(Qt::ShiftModifier) ? 1.0 : 0.1;
    switch (event->key()) {
    case Qt::Key_Left: emit Nudged({-step, 0}); break;
    case Qt::Key_Right: emit Nudged({step, 0}); break;
    case Qt::Key_Up: emit Nudged({0, -step}); break;
    case Qt::Key_Down: emit Nudged({0, step}); break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace: emit DeletePressed(); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

} // namespace ui
