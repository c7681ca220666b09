// The label editor's picture of the label: the label at true proportions,
// as large as the widget allows, painted from the layout of its parts on
// a printer's dots (PaintLabel), so it shows what prints. A part is chosen
// with a click, dragged with the mouse and nudged with the arrow keys; the
// editor decides what each of these does to the label.
#pragma once

#include "core/Result.h"
#include "labels/LabelLayout.h"

#include <QImage>
#include <QWidget>
#include <vector>

namespace ui {

class LabelPreview : public QWidget {
    Q_OBJECT
public:
    explicit LabelPreview(QWidget* parent = nullptr);

    // What to show: the label, each of its parts laid out for a printer of
    // `dpi` (or why it can't be), and the part chosen (-1: none).
    void Show(const labels::Label& label, const std::vector<core::Result<labels::LaidOutPart>>& parts, double dpi,
              int selected);

    // Widget pixels a millimetre of the label takes.
    double PixelsPerMm() const;
    // A point of the label, in mm from its corner, in the widget.
    QPointF WidgetPoint(QPointF mm) const;
    // What the part covers on the label, in mm: its layout's box, or where
    // its fields say it goes when it can't be laid out.
    QRectF PartRectMm(int index) const;
    // The part under a point of the widget, the one drawn last first; -1
    // for none.
    int PartAt(QPointF widgetPoint) const;

    QSize sizeHint() const override { return {560, 380}; }

signals:
    void PartPressed(int index);
    // A drag of the part pressed goes on: how far it has gone from where
    // it began, in mm.
    void Dragging(QPointF offsetMm);
    void DragEnded(QPointF offsetMm);
    void Nudged(QPointF offsetMm);
    void DeletePressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The label's rectangle in the widget.
    QRectF LabelRect() const;
    QRectF WidgetRect(const QRectF& mm) const;
    QPointF OffsetMm(QPointF widgetPoint) const;
    // Paints the laid-out parts into the picture, for the size they are shown at.
    void PaintPicture();

    labels::Label label_;
    labels::LaidOutLabel laid_;    // the parts that could be laid out
    std::vector<QRectF> partsMm_;  // what each part covers, in mm
    std::vector<bool> drawn_;      // each part laid out, or its rectangle only what its fields say
    QImage picture_;               // the laid-out parts painted on the layout's dots, or a whole multiple of them
    int selected_ = -1;
    bool pressed_ = false;   // the mouse went down on the part chosen
    bool dragging_ = false;  // and has moved far enough to be a drag
    QPointF pressedAt_;
};

} // namespace ui
