// A drawing as vector shapes: filled boxes, lines, text and pictures in the
// pixel coordinates of the surface it was drawn on (1/96 inch), replayable
// on any QPainter device. On the screen it is painted one pixel per pixel;
// on a printer or a file it is scaled so that every module of a barcode is
// a whole number of the device's dots, the same number for every module.
#pragma once

#include "graphics/Color.h"

#include <QFont>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <vector>

class QPainter;

namespace graphics {

// The text of a Text op, apart from the op: a drawing is mostly boxes.
struct DrawText {
    QFont font;             // family and style; the size is pixelSize below
    double pixelSize = 0;   // the em height in pixels
    double spacing = 0;     // extra pixels after every character
    double rotation = 0;    // degrees, counter-clockwise about the baseline's left end
    double advance = 0;     // how far the text reaches along its baseline, in pixels
    QString text;
};

struct DrawOp {
    enum class Kind { Fill, Line, Text, Image };
    Kind kind = Kind::Fill;
    Rgb color = kBlack;
    QRect box;         // Fill: the pixels covered; Image: where the picture goes
    QLineF line;       // Line: centre line, pixel coordinates
    double width = 1;  // Line: pen width in pixels
    QPointF baseline;  // Text: left end of the baseline
    std::shared_ptr<const DrawText> text; // Text
    // Image: a picture that has no drawing of its own. Held apart, as the
    // text is: a QImage member made every box's copy and destruction a
    // call into Qt, and a symbol is tens of boxes copied several times.
    std::shared_ptr<const QImage> image;
};

// The size a symbol is asked to print at, whatever the device: the width
// of one module, or the width the whole drawing is fitted to, in mm. A
// device meets either in whole dots: a module is the nearest whole number
// of dots (a width: the most dots that keep the drawing no wider), at
// least one. Natural: a module's pixels at the surface's 96 dpi.
struct PrintSize {
    enum class Kind { Natural, Module, Width };
    Kind kind = Kind::Natural;
    double mm = 0;

    static PrintSize Module(double mm) { return {Kind::Module, mm}; }
    static PrintSize Width(double mm) { return {Kind::Width, mm}; }
    bool IsNatural() const { return kind == Kind::Natural || !(mm > 0); }
    friend bool operator==(const PrintSize&, const PrintSize&) = default;
};

class Drawing {
public:
    // The pixel size of the surface the drawing was made on.
    QSize size;
    // Width of one module in pixels, and an x where a module starts: the
    // unit that must land on whole device dots. 1 and 0 when not set.
    double module = 1;
    double moduleOrigin = 0;
    // The white a reader needs around the symbol, in modules: left and
    // right, and above and below too for a two-dimensional code. Not part
    // of the drawing: the screen, the clipboard and the files add it.
    double quietModules = 10;
    bool quietAbove = false;
    // The size it prints at on a printer or in a file (the screen shows it
    // one pixel per pixel whatever is asked).
    PrintSize printSize;

    const std::vector<DrawOp>& Ops() const { return ops_; }
    bool IsEmpty() const { return ops_.empty(); }

    // A box that continues the last one (same colour and rows, touching or
    // overlapping) extends it, so runs of lines become one shape.
    void AddFill(const QRect& pixels, Rgb color);
    void AddLine(const QLineF& line, double width, Rgb color);
    void AddText(const DrawOp& text);
    void AddImage(const QImage& image, const QPoint& at);
    // The pixels anything was drawn on (text by its advance), empty when none.
    QRect Bounds() const;

    // The drawing cut to its bounds: what was drawn, with (0, 0) at its
    // top-left corner and nothing of the surface's empty rest.
    Drawing Cropped() const&;
    Drawing Cropped() &&; // the same, in place

    // Every op of the other drawing, after this one's.
    void Append(const Drawing& other);

    // Paints the drawing one pixel per pixel, as a picture box shows it.
    void Paint(QPainter& painter) const;
    // The drawing as a picture of its own size on white, at 96 dpi.
    QImage ToImage() const;

private:
    std::vector<DrawOp> ops_;
};

// A reader needs white on both sides of a symbol (ten modules for a
// linear one); the screen and the clipboard add that much, in pixels, left
// and right, and a two-dimensional code's above and below as well.
int QuietZonePixels(const Drawing& drawing);
int QuietZoneRows(const Drawing& drawing);
// The picture with `pixels` of white added on its left and right, and
// `rows` above and below.
QImage WithQuietZones(const QImage& picture, int pixels, int rows = 0);
// The picture of the drawing with its quiet zones, one pixel per pixel.
QImage WithQuietZones(const Drawing& drawing);

// A paint device that writes lines of text itself (a PDF document stores
// each glyph once with its character): text for it is handed over whole,
// not shaped by QPainter first.
class TextWriter {
public:
    virtual ~TextWriter() = default;
    // A line of text, its baseline starting at `at`, with the painter's
    // font, pen and transform.
    virtual void WriteText(QPainter& painter, const QPointF& at, const QString& text) = 0;
};

// Draws a line of text, its baseline starting at `at`: handed to the
// device when it is a TextWriter, else drawn by the painter.
void DrawTextLine(QPainter& painter, const QPointF& at, const QString& text);

// Paints one op one pixel per pixel.
void PaintOp(QPainter& painter, const DrawOp& op);

// How a drawing lands on a device: device units per drawing pixel, and the
// device's grid of dots. `dot` is the size of one dot in device units (1 on
// a printer; 12 on a 1200-unit PDF page whose dots are 1/100 inch).
struct DeviceGrid {
    DeviceGrid(double device = 96, double grid = 96, QPointF gridOrigin = {})
        : deviceDpi(device), gridDpi(grid), origin(gridOrigin)
    {
    }
    double deviceDpi; // device units per inch
    double gridDpi;   // dots per inch the shapes are placed on
    QPointF origin;   // a point of the grid, in device units (the corner of the sheet)
    // A printer's calibration scale: a module is this many times its size
    // before it is moved to whole dots.
    double scale = 1;

    double Dot() const { return deviceDpi / gridDpi; }
    // Device units per drawing pixel for a drawing whose module is `module`
    // pixels: the nearest whole number of dots per module (at least one).
    double UnitsPerPixel(double module) const;
    // The dots one module of the drawing takes, and the device units per
    // drawing pixel that gives, as its print size asks.
    int DotsPerModule(const Drawing& drawing) const;
    double UnitsPerPixel(const Drawing& drawing) const;
};

// The largest module, in whole dots of the grid, at which the drawing is
// no larger than `room` (device units); 0 when not even one dot fits.
int LargestFittingModule(const Drawing& drawing, const DeviceGrid& grid, QSizeF room);
// A number of the grid's dots in mm, and the mm that the smallest module a
// device can make exactly (one dot) is.
double DotsToMm(int dots, double gridDpi);

// Replays the drawing with its top-left corner at `topLeft` (device units,
// moved onto the grid), every edge of a box on a whole dot.
void Replay(const Drawing& drawing, QPainter& painter, QPointF topLeft, const DeviceGrid& grid);

// The drawing's size on the device, in device units.
QSizeF ReplayedSize(const Drawing& drawing, const DeviceGrid& grid);

} // namespace graphics
