// A drawing surface: the one interface every drawer draws through. It has
// the operations of a picture box (a scale mode, lines, filled boxes, text
// at a current position, text measures, an outer size that a drawer may
// change) and records everything drawn as a vector Drawing in the pixels
// of its area (1/96 inch).
//
// Two kinds: Surface itself only records, so a symbol can be drawn without
// a window and replayed on a printer or into a file; PictureBox also paints
// a raster image for the screen and the clipboard. Both compute the same
// pixels, so the screen, the clipboard and the printer show one symbol.
//
// Geometry: Left/Top/Width/Height are the outer box in twips; the area is
// Width x Height at 96 dpi (15 twips per pixel), so Width / ScaleWidth is
// exactly the twips per scale unit.
#pragma once

#include "graphics/Color.h"
#include "graphics/Drawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <optional>

namespace graphics {

enum class ScaleMode { User = 0, Twips = 1, Pixels = 3 };

class Surface {
public:
    Surface(double leftTwips, double topTwips, double widthTwips, double heightTwips);
    virtual ~Surface() = default;
    Surface(const Surface&) = default;
    Surface& operator=(const Surface&) = default;

    // The widest area a surface holds; larger widths are held to it.
    static constexpr int kMaxPixels = 32767;
    // Bars taller than this (21 inches at 96 dpi) serve no label; holding
    // heights to it keeps a raster at most 256 MB however wide it grows.
    static constexpr int kMaxHeightPixels = 2048;

    // --- outer geometry, twips ---
    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    // A width or height below zero is refused (returns false) and the box
    // keeps its size, as the window system refuses it.
    bool SetWidth(double twips);
    bool SetHeight(double twips);
    // The area in whole pixels.
    int PixelWidth() const { return pixelWidth_; }
    int PixelHeight() const { return pixelHeight_; }

    // --- scale ---
    void SetScaleMode(ScaleMode mode);
    // A user scale: the inner area spans width x height units from (left, top).
    void SetUserScale(double left, double top, double width, double height);
    double ScaleLeft() const { return scaleLeft_; }
    double ScaleTop() const { return scaleTop_; }
    double ScaleWidth() const { return scaleWidth_; }
    double ScaleHeight() const { return scaleHeight_; }

    // --- drawing, in scale units ---
    // Back to the background (and the persistent picture, when there is one).
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
    // The print position, where a line drawn last ended or Print goes next.
    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void MoveTo(double x, double y);

    double FontSize() const { return font_.pointSizeF(); }
    void SetFontSize(double points);
    const QFont& Font() const { return font_; }
    double TextWidth(const QString& text) const;  // scale units
    double TextHeight(const QString& text) const; // scale units

    // The width of lines, in pixels.
    int DrawWidth() const { return drawWidth_; }
    void SetDrawWidth(int pixels) { drawWidth_ = pixels; }
    Rgb BackColor() const { return backColor_; }
    void SetBackColor(Rgb color); // also clears, as a change of background does

    // --- drawing, in pixels (for device contexts that draw on the surface) ---
    void FillPixels(const QRect& pixels, Rgb color);
    // Text whose baseline, font size, spacing and angle the op gives.
    void DrawTextPixels(const DrawOp& text);

    // --- the vector drawing ---
    // What the surface shows now: its picture's drawing and what was drawn since.
    const Drawing& CurrentDrawing() const { return drawing_; }
    // The drawing of the persistent picture (empty when there is none).
    const Drawing& PictureDrawing() const { return pictureDrawing_; }
    // Removes the persistent picture (the drawing on top is cleared).
    virtual void ClearPicture();
    // Makes what the surface shows now its persistent picture.
    virtual void KeepImageAsPicture();
    // The module of what is drawn, in scale units, and an x where a module
    // starts: printing puts every module on a whole number of dots.
    void SetModule(double width, double originX = 0);
    // The white a reader needs around what is drawn, in modules (see Drawing).
    void SetQuietZone(double modules, bool above);
    // Makes the surface as large as what is drawn on it (a caption or its
    // descenders below the bars) and draws it again whole, so nothing drawn
    // is cut off on screen or in the surface's picture.
    void GrowToHold();

    // --- conversions between scale units and pixels ---
    double ToPixelX(double x) const;
    double ToPixelY(double y) const;
    double PixelsPerUnitX() const;
    double PixelsPerUnitY() const;

protected:
    // What a raster does on top of the recording; a plain Surface does nothing.
    virtual void rasterResized() {}
    virtual void rasterCleared() {}
    virtual void rasterFill(const QRect&, Rgb) {}
    virtual void rasterLine(const QLineF&, int, Rgb) {}
    virtual void rasterText(const DrawOp&) {}
    // The raster drawn anew from the whole drawing.
    virtual void rasterRepaint() {}
    // Called after every change a viewer would want to see.
    virtual void changed() {}

    void setPictureDrawing(Drawing drawing, bool hasPicture);
    struct FontMeasures {
        double size;
        QFontMetricsF metrics;
        double height, ascent;
        // The last text measured at this size and its advance: a caption
        // is measured to place it and again as it is printed.
        mutable QString lastText;
        mutable double lastAdvance = 0;
        double Advance(const QString& text) const;
    };
    const FontMeasures& measures() const;

private:
    void resized();
    void updateScale();
    void restart(); // the drawing back to the picture's

    double left_, top_, width_, height_;
    int pixelWidth_ = 1, pixelHeight_ = 1;
    ScaleMode mode_ = ScaleMode::Twips;
    double scaleLeft_ = 0, scaleTop_ = 0, scaleWidth_ = 0, scaleHeight_ = 0;
    QFont font_;
    Rgb backColor_ = kWhite;
    Rgb foreColor_ = kBlack; // what Line and Print draw in when no colour is given
    int drawWidth_ = 1;
    double currentX_ = 0, currentY_ = 0;
    Drawing drawing_;
    Drawing pictureDrawing_;
    bool hasPicture_ = false;
    // Where anything but the background was drawn since the last clear: a
    // box of the background colour outside it changes nothing and is left
    // out (Code 39 paints every space white on a white box).
    QRect ink_;
};

} // namespace graphics
