#include "graphics/Drawing.h"

#include "core/Units.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace graphics {
namespace {

constexpr int kDotsPerMeter96 = 3780; // 96 dpi

// Where drawing pixels land on the device: edges of boxes on whole dots,
// text and lines at the plain scale.
struct Mapping {
    std::function<double(double)> edgeX, edgeY;
    double scale = 1;     // device units per drawing pixel
    QPointF origin;       // device position of drawing pixel (0, 0)
};

QFont DeviceFont(const DrawOp& op, double scale, const QPaintDevice* device)
{
    const DrawText& t = *op.text;
    QFont f = t.font;
    const double dpi = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : core::kSurfaceDpi;
    f.setPointSizeF(std::max(t.pixelSize * scale * 72.0 / dpi, 0.01));
    if (t.spacing != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, t.spacing * scale);
    return f;
}

void PaintOne(const DrawOp& op, QPainter& painter, const Mapping& m)
{
    switch (op.kind) {
    case DrawOp::Kind::Fill:
    case DrawOp::Kind::Image: {
        const double l = m.edgeX(op.box.x()), r = m.edgeX(op.box.x() + op.box.width());
        const double t = m.edgeY(op.box.y()), b = m.edgeY(op.box.y() + op.box.height());
        const QRectF target(l, t, r - l, b - t);
        if (op.kind == DrawOp::Kind::Fill)
            painter.fillRect(target, ToQColor(op.color));
        else
            painter.drawImage(target, *op.image);
        break;
    }
    case DrawOp::Kind::Line: {
        painter.save();
        painter.setPen(QPen(ToQColor(op.color), op.width * m.scale));
        painter.drawLine(QLineF(m.origin + op.line.p1() * m.scale, m.origin + op.line.p2() * m.scale));
        painter.restore();
        break;
    }
    case DrawOp::Kind::Text: {
        painter.save();
        painter.setFont(DeviceFont(op, m.scale, painter.device()));
        painter.setPen(ToQColor(op.color));
        painter.translate(m.origin + op.baseline * m.scale);
        if (op.text->rotation != 0)
            painter.rotate(-op.text->rotation);
        DrawTextLine(painter, QPointF(0, 0), op.text->text);
        painter.restore();
        break;
    }
    }
}

Mapping OnePixelPerPixel()
{
    Mapping m;
    m.edgeX = m.edgeY = [](double v) { return v; };
    return m;
}

void PaintOps(const Drawing& d, QPainter& painter, const Mapping& m)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    // Runs of boxes of one colour (the bars of a symbol) go to the device
    // in one call.
    std::vector<QRectF> run;
    Rgb runColor = kWhite;
    // On a picture the boxes have whole-pixel edges: filled as whole-pixel
    // rectangles they take Qt's fast path, not the rasteriser's.
    const bool raster = painter.device() && painter.device()->devType() == QInternal::Image &&
                        painter.transform().type() == QTransform::TxNone;
    auto flush = [&] {
        if (run.empty())
            return;
        const QColor colour = ToQColor(runColor);
        if (raster) {
            for (const QRectF& r : run)
                painter.fillRect(r.toAlignedRect(), colour);
        } else {
            painter.setBrush(colour);
            painter.drawRects(run.data(), static_cast<int>(run.size()));
        }
        run.clear();
    };
    for (const DrawOp& op : d.Ops()) {
        if (op.kind == DrawOp::Kind::Fill) {
            if (!run.empty() && op.color != runColor)
                flush();
            runColor = op.color;
            const double l = m.edgeX(op.box.x()), r = m.edgeX(op.box.x() + op.box.width());
            const double t = m.edgeY(op.box.y()), b = m.edgeY(op.box.y() + op.box.height());
            run.emplace_back(l, t, r - l, b - t);
            continue;
        }
        flush();
        PaintOne(op, painter, m);
    }
    flush();
    painter.restore();
}

} // namespace

void Drawing::AddFill(const QRect& pixels, Rgb color)
{
    if (pixels.isEmpty())
        return;
    if (!ops_.empty()) {
        DrawOp& last = ops_.back();
        if (last.kind == DrawOp::Kind::Fill && last.color == color && last.box.top() == pixels.top() &&
            last.box.bottom() == pixels.bottom() && pixels.left() <= last.box.left() + last.box.width() &&
            last.box.left() <= pixels.left() + pixels.width()) {
            last.box = last.box.united(pixels);
            return;
        }
    }
    if (ops_.capacity() == 0)
        ops_.reserve(64); // a symbol is tens of boxes
    DrawOp op;
    op.kind = DrawOp::Kind::Fill;
    op.box = pixels;
    op.color = color;
    ops_.push_back(std::move(op));
}

void Drawing::AddLine(const QLineF& line, double width, Rgb color)
{
    DrawOp op;
    op.kind = DrawOp::Kind::Line;
    op.line = line;
    op.width = width;
    op.color = color;
    ops_.push_back(std::move(op));
}

void Drawing::AddText(const DrawOp& text)
{
    if (!text.text || text.text->text.isEmpty())
        return;
    ops_.push_back(text);
    ops_.back().kind = DrawOp::Kind::Text;
}

void Drawing::AddImage(const QImage& image, const QPoint& at)
{
    if (image.isNull())
        return;
    DrawOp op;
    op.kind = DrawOp::Kind::Image;
    op.box = QRect(at, image.size());
    op.image = std::make_shared<const QImage>(image);
    ops_.push_back(std::move(op));
}

QRect Drawing::Bounds() const
{
    // Boxes are whole pixels and never empty (AddFill and AddImage keep
    // none): their edges are gathered as integers, and only lines and text
    // go through QRectF, whose union is a call into Qt for every op.
    int left = std::numeric_limits<int>::max(), top = left;
    int right = std::numeric_limits<int>::min(), bottom = right;
    QRectF r;
    for (const DrawOp& op : ops_) {
        switch (op.kind) {
        case DrawOp::Kind::Fill:
        case DrawOp::Kind::Image:
            left = std::min(left, op.box.x());
            top = std::min(top, op.box.y());
            right = std::max(right, op.box.x() + op.box.width());
            bottom = std::max(bottom, op.box.y() + op.box.height());
            break;
        case DrawOp::Kind::Line:
            r |= QRectF(op.line.p1(), op.line.p2()).normalized().adjusted(-op.width, -op.width, op.width, op.width);
            break;
        case DrawOp::Kind::Text: {
            // From the baseline up and down by the em height: the glyphs lie
            // within, and no font needs to be looked up again.
            const DrawText& t = *op.text;
            r |= QRectF(op.baseline.x(), op.baseline.y() - t.pixelSize, std::max(t.advance, 0.0), 1.4 * t.pixelSize);
            break;
        }
        }
    }
    if (left < right)
        r |= QRectF(left, top, right - left, bottom - top);
    return r.toAlignedRect();
}

Drawing Drawing::Cropped() const&
{
    Drawing copy = *this;
    return std::move(copy).Cropped();
}

Drawing Drawing::Cropped() &&
{
    const QRect bounds = Bounds();
    Drawing out = std::move(*this);
    if (bounds.isEmpty())
        return out;
    const QPoint shift = -bounds.topLeft();
    out.size = bounds.size();
    out.moduleOrigin += shift.x();
    for (DrawOp& op : out.ops_) {
        op.box.translate(shift);
        op.line.translate(shift);
        op.baseline += shift;
    }
    return out;
}

void Drawing::Append(const Drawing& other)
{
    ops_.insert(ops_.end(), other.ops_.begin(), other.ops_.end());
}

void Drawing::Paint(QPainter& painter) const { PaintOps(*this, painter, OnePixelPerPixel()); }

void PaintOp(QPainter& painter, const DrawOp& op) { PaintOne(op, painter, OnePixelPerPixel()); }

QImage Drawing::ToImage() const
{
    QImage img(std::max(size.width(), 1), std::max(size.height(), 1), QImage::Format_RGB32);
    img.setDotsPerMeterX(kDotsPerMeter96);
    img.setDotsPerMeterY(kDotsPerMeter96);
    img.fill(Qt::white);
    QPainter p(&img);
    Paint(p);
    return img;
}

int QuietZonePixels(const Drawing& drawing)
{
    const double module = drawing.module > 0 ? drawing.module : 1;
    const double modules = drawing.quietModules >= 0 ? drawing.quietModules : 10;
    return static_cast<int>(std::ceil(std::min(modules * module, 1000.0)));
}

int QuietZoneRows(const Drawing& drawing) { return drawing.quietAbove ? QuietZonePixels(drawing) : 0; }

QImage WithQuietZones(const QImage& picture, int pixels, int rows)
{
    QImage out(picture.width() + 2 * pixels, picture.height() + 2 * rows, QImage::Format_RGB32);
    out.setDotsPerMeterX(kDotsPerMeter96);
    out.setDotsPerMeterY(kDotsPerMeter96);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(pixels, rows, picture);
    return out;
}

QImage WithQuietZones(const Drawing& drawing)
{
    return WithQuietZones(drawing.ToImage(), QuietZonePixels(drawing), QuietZoneRows(drawing));
}

double DeviceGrid::UnitsPerPixel(double module) const
{
    if (!(module > 0))
        module = 1;
    const double dots = std::max(1.0, std::round(module * gridDpi / core::kSurfaceDpi * scale));
    return dots * Dot() / module;
}

namespace {

constexpr double kMmPerInch = 25.4;

double ModuleOf(const Drawing& d) { return d.module > 0 ? d.module : 1; }

} // namespace

int DeviceGrid::DotsPerModule(const Drawing& drawing) const
{
    const double module = ModuleOf(drawing);
    const PrintSize& asked = drawing.printSize;
    const double mmDots = asked.mm / kMmPerInch * gridDpi * scale;
    double dots = std::round(module * gridDpi / core::kSurfaceDpi * scale);
    if (!asked.IsNatural() && asked.kind == PrintSize::Kind::Module)
        dots = std::round(mmDots);
    else if (!asked.IsNatural() && asked.kind == PrintSize::Kind::Width && drawing.size.width() > 0)
        // A hair of slack: a width typed from a module's own size in mm
        // must give that module, not one dot less.
        dots = std::floor(mmDots / (drawing.size.width() / module) + 1e-9);
    return static_cast<int>(std::clamp(dots, 1.0, 1e6));
}

double DeviceGrid::UnitsPerPixel(const Drawing& drawing) const
{
    return DotsPerModule(drawing) * Dot() / ModuleOf(drawing);
}

int LargestFittingModule(const Drawing& drawing, const DeviceGrid& grid, QSizeF room)
{
    // The drawing's size is its pixels times the units a pixel takes.
    const double module = ModuleOf(drawing);
    const double fitW = room.width() / grid.Dot() * module / std::max(1, drawing.size.width());
    const double fitH = room.height() / grid.Dot() * module / std::max(1, drawing.size.height());
    const int most = static_cast<int>(std::min({std::floor(fitW + 1e-9), std::floor(fitH + 1e-9), 1e6}));
    return std::max(most, 0);
}

double DotsToMm(int dots, double gridDpi) { return gridDpi > 0 ? dots * kMmPerInch / gridDpi : 0; }

QSizeF ReplayedSize(const Drawing& drawing, const DeviceGrid& grid)
{
    const double s = grid.UnitsPerPixel(drawing);
    return QSizeF(drawing.size.width() * s, drawing.size.height() * s);
}

void Replay(const Drawing& drawing, QPainter& painter, QPointF topLeft, const DeviceGrid& grid)
{
    const double dot = grid.Dot();
    const double s = grid.UnitsPerPixel(drawing);
    const double perPixel = s / dot; // dots per drawing pixel
    // The corner on a whole dot; every box edge a whole number of dots from
    // it, counted from where a module starts, so equal widths stay equal.
    const QPointF g = grid.origin;
    const double ox = std::round((topLeft.x() - g.x()) / dot), oy = std::round((topLeft.y() - g.y()) / dot);
    const double x0 = drawing.moduleOrigin;
    const double x0Dots = std::round(x0 * perPixel);
    Mapping m;
    m.scale = s;
    m.origin = g + QPointF(ox * dot, oy * dot);
    m.edgeX = [=](double x) { return g.x() + (ox + x0Dots + std::round((x - x0) * perPixel)) * dot; };
    m.edgeY = [=](double y) { return g.y() + (oy + std::round(y * perPixel)) * dot; };
    PaintOps(drawing, painter, m);
}

void DrawTextLine(QPainter& painter, const QPointF& at, const QString& text)
{
    if (auto* const writer = dynamic_cast<TextWriter*>(painter.device()); writer && painter.isActive())
        writer->WriteText(painter, at, text);
    else
        painter.drawText(at, text);
}

} // namespace graphics
