// Shows a PictureBox on screen: a sunken frame around the box's image and
// a quiet zone of white on both sides of it, placed and sized from the
// box's twips geometry and kept in step with it. A box that shows nothing
// (one colour all over) is not drawn at all: the surfaces overlap, and
// empty white boxes peeking out from under each other look broken.
#pragma once

#include "graphics/PictureBox.h"

#include <QFrame>

namespace ui {

class PictureBoxWidget : public QFrame {
    Q_OBJECT
public:
    PictureBoxWidget(graphics::PictureBox& box, QWidget* parent);

    graphics::PictureBox& box() { return box_; }
    const graphics::PictureBox& box() const { return box_; }
    // Where the box's image starts inside the widget, after the white shown on either side of it.
    int ImageLeft() const { return frameWidth() + quiet_; }
    // Logical pixels per pixel of the box: 1 at a whole scale factor; at a
    // fractional one (1.25, 1.5) the box is drawn anew with every module on
    // the same whole number of device pixels, a little larger or smaller.
    double Scale() const;
    // What the box has drawn, with its quiet zones, in the widget's
    // coordinates; empty when nothing is drawn.
    QRect ShownInk() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();

    graphics::PictureBox& box_;
    int quiet_ = 0; // white pixels shown left and right of the box's image
};

} // namespace ui
