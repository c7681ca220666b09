// A picture box: a drawing surface of the window with a raster image at
// 96 dpi that the screen and the clipboard show, a persistent background
// picture, a visibility and an observer for the widget that shows it. What
// is drawn is also kept as a vector drawing (see Surface), so a snapshot of
// the box prints as sharp shapes, not as its pixels.
//
// The sunken frame a widget draws around the image lies outside it, so
// Width / ScaleWidth is exactly the twips per scale unit.
#pragma once

#include "graphics/Surface.h"

#include <QImage>
#include <functional>
#include <optional>

namespace graphics {

class PictureBox : public Surface {
public:
    PictureBox(double leftTwips, double topTwips, double widthTwips, double heightTwips);

    // --- pictures ---
    // The persistent background picture; empty when the box holds none.
    const std::optional<QImage>& Picture() const { return picture_; }
    // Replaces the background picture (the drawing on top is cleared). A
    // picture given as pixels alone is kept as one picture in its drawing.
    void SetPicture(std::optional<QImage> picture);
    void SetPicture(QImage picture, Drawing drawing);
    // The picture becomes a snapshot of what the other box shows now.
    void SetPictureFrom(const PictureBox& other) { SetPicture(other.Image(), other.CurrentDrawing()); }
    void ClearPicture() override;
    void KeepImageAsPicture() override;

    // A snapshot of what the box shows now (background plus drawing).
    QImage Image() const { return image_; }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // Observer for a widget that shows the box; called after every change.
    std::function<void()> OnChanged;

protected:
    void rasterResized() override;
    void rasterCleared() override;
    void rasterFill(const QRect& pixels, Rgb color) override;
    void rasterLine(const QLineF& line, int width, Rgb color) override;
    void rasterText(const DrawOp& text) override;
    void rasterRepaint() override;
    void changed() override;

private:
    std::optional<QImage> picture_;
    QImage image_;
    bool blank_ = true; // the raster holds only the background colour
    bool visible_ = true;
};

} // namespace graphics
