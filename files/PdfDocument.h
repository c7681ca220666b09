// A PDF document as a paint device: what a QPainter draws on it (filled
// boxes, lines, paths, text, pictures) is written straight into PDF page
// content, a page at a time, to a device. It does the few things printing
// a barcode needs and does them quickly: a page of labels is written
// without Qt's general PDF engine, whose per-glyph text and per-page
// compression at zlib's default level cost more than drawing the labels.
//
// Text keeps the exact outlines of the fonts Qt chose; each glyph is stored
// once per document (as a Type 3 font program) with the characters it
// stands for, so the text can be searched and copied. Text that needs
// shaping (joined scripts, combining marks, characters the font lacks) is
// placed glyph by glyph as Qt shapes it, with the fonts Qt falls back on;
// a glyph without an outline (a colour emoji) is stored as a picture.
//
// The engine draws solid colours, dashed lines, paths, clips, pictures
// and text itself; for the rest (gradients, see-through colours) QPainter
// hands it a picture of what it drew.
#pragma once

#include "graphics/Drawing.h"

#include <QPaintDevice>
#include <QPointF>
#include <QRect>
#include <QString>
#include <memory>

class QIODevice;
class QPageLayout;
class QPainter;

namespace files {

// Device units per inch of the program's PDF pages.
inline constexpr int kPdfResolution = 1200;
// A PDF has no dots of its own and meets printers of 203, 300, 600 and 1200
// dpi later: by default shapes are placed on a grid of 1/100 inch, whole
// dots at 300, 600 and 1200 dpi and within 2 % of whole dots at 203 dpi.
inline constexpr double kPdfGridDpi = 100;

class PdfDocument : public QPaintDevice, public graphics::TextWriter {
public:
    // Pages of the layout's size, the painter's origin at the corner of its
    // printable area, `resolution` device units per inch.
    PdfDocument(QIODevice* out, const QPageLayout& layout, int resolution);
    ~PdfDocument() override;
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    void SetTitle(const QString& title);
    void SetCreator(const QString& creator);

    // Ends the page being drawn and starts another. False when the document
    // can't be written any more.
    bool NewPage();
    // The printable area in device units, from the sheet's corner.
    QRect PaintRect() const;
    int Resolution() const;

    QPaintEngine* paintEngine() const override;

    // Writes a line of text itself (see graphics::TextWriter): QPainter's
    // drawText would shape the text only for the document to place its
    // glyphs again.
    void WriteText(QPainter& painter, const QPointF& at, const QString& text) override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    std::unique_ptr<Engine> engine_;
};

} // namespace files
