// A PDF document as a paint device: what a QPainter draws on it (filled
// boxes, lines, paths, text, pictures) is written straight into PDF page
// content, a page at a time, to a device. It does the few things printing
// a barcode needs and does them quickly: a page of labels is written
// without Qt's general PDF engine, whose per-glyph text and per-page
// compression at zlib's default level cost more than drawing the labels.
//
// Text keeps the exact outlines of the font Qt chose; each glyph is stored
// once per document (as a Type 3 font program) with its character, so the
// text can be searched and copied. Text that needs shaping (joined
// scripts, combining marks) or has characters the font lacks is drawn as
// Qt shapes it, as outlines.
#pragma once

#include <QPaintDevice>
#include <QPointF>
#include <QRect>
#include <QString>
#include <memory>

class QIODevice;
class QPageLayout;
class QPainter;

namespace platform {

class PdfDocument : public QPaintDevice {
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

    // Draws a line of text, its baseline starting at `at`, when the painter
    // paints on a PdfDocument, with the painter's font, pen and transform;
    // false when it paints elsewhere. QPainter::drawText would shape the
    // text only for the document to place its glyphs again.
    static bool DrawText(QPainter& painter, const QPointF& at, const QString& text);

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    std::unique_ptr<Engine> engine_;
};

} // namespace platform
