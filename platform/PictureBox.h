// A picture box: a drawing surface on a raster image with a scale mode,
// line, filled-box and text operations, a persistent background picture
// and a text tag. The drawers see only this class, so the same drawing code
// serves the screen, the printer and the tests.
//
// Geometry: Left/Top/Width/Height are the outer box in twips. The image is
// the box's inner area at 96 dpi (15 twips per pixel); the sunken frame a
// widget draws around it lies outside the image, so Width / ScaleWidth is
// exactly the twips per scale unit.
#pragma once

#include "platform/Color.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>

namespace platform {

enum class ScaleMode { User = 0, Twips = 1, Pixels = 3 };

class PictureBox {
public:
    PictureBox(double leftTwips, double topTwips, double widthTwips, double heightTwips);

    // The widest raster a box holds; larger widths are held to it.
    static constexpr int kMaxPixels = 32767;
    // Bars taller than this (21 inches at 96 dpi) serve no label; holding
    // heights to it keeps a box at most 256 MB however wide it grows.
    static constexpr int kMaxHeightPixels = 2048;

    // --- outer geometry, twips ---
    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    void SetLeft(double twips);
    void SetTop(double twips);
    // A width or height below zero is refused (returns false) and the box
    // keeps its size, as the window system refuses it.
    bool SetWidth(double twips);
    bool SetHeight(double twips);

    // --- scale ---
    ScaleMode GetScaleMode() const { return mode_; }
    void SetScaleMode(ScaleMode mode);
    // A user scale: the inner area spans width x height units from (left, top).
    void SetUserScale(double left, double top, double width, double height);
    double ScaleLeft() const { return scaleLeft_; }
    double ScaleTop() const { return scaleTop_; }
    double ScaleWidth() const { return scaleWidth_; }
    double ScaleHeight() const { return scaleHeight_; }

    // --- drawing ---
    void Cls();
    // A line of DrawWidth pixels from (x1, y1) to (x2, y2), end point
    // excluded, in the given colour or the foreground colour.
    void Line(double x1, double y1, double x2, double y2, std::optional<Rgb> color = std::nullopt);
    // A filled box between two corners: exactly the pixels whose centres lie
    // inside it (left and top edges inclusive, right and bottom exclusive).
    void LineBoxFilled(double x1, double y1, double x2, double y2, std::optional<Rgb> color = std::nullopt);
    // Prints text with its top-left corner at (CurrentX, CurrentY); then
    // CurrentX returns to ScaleLeft and CurrentY moves one text line down.
    void Print(const QString& text);

    double CurrentX = 0;
    double CurrentY = 0;

    double FontSize() const { return font_.pointSizeF(); }
    void SetFontSize(double points);
    const QFont& Font() const { return font_; }
    double TextWidth(const QString& text) const;  // scale units
    double TextHeight(const QString& text) const; // scale units

    int DrawWidth = 1;
    Rgb ForeColor = kBlack;
    Rgb BackColor() const { return backColor_; }
    void SetBackColor(Rgb color); // also clears, as a change of background does

    // --- pictures ---
    // The persistent background picture; empty when the box holds none.
    const std::optional<QImage>& Picture() const { return picture_; }
    // Replaces the background picture; the drawing on top is cleared.
    void SetPicture(std::optional<QImage> picture);
    // A snapshot of what the box shows now (background plus drawing).
    QImage Image() const { return image_; }
    // The live raster, for device contexts that draw into the box.
    QImage& Raster() { return image_; }
    // Call after drawing into Raster() from outside.
    void RasterChanged() { notify(); }

    QString Tag;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // Observer for a widget that shows the box; called after every change.
    std::function<void()> OnChanged;

    // --- conversions between scale units and image pixels ---
    double ToPixelX(double x) const;
    double ToPixelY(double y) const;
    double PixelsPerUnitX() const;
    double PixelsPerUnitY() const;

private:
    void resizeRaster();
    void repaintBackground();
    void updateScale();
    void notify();

    double left_, top_, width_, height_;
    ScaleMode mode_ = ScaleMode::Twips;
    double scaleLeft_ = 0, scaleTop_ = 0, scaleWidth_ = 0, scaleHeight_ = 0;
    QFont font_;
    Rgb backColor_ = kWhite;
    std::optional<QImage> picture_;
    QImage image_;
    bool visible_ = true;
};

} // namespace platform
