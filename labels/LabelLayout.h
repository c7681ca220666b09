// A label laid out for a device: its placeholders filled from a record,
// and each part made a drawing in the device's dots, placed on whole dots
// from the label's corner. Barcodes keep every module the same whole
// number of dots; text is measured with the device's resolution and set
// smaller to fit its box (or refused, never cut off); lines and frames
// have whole-dot edges. Printers, previews and files paint the same
// laid-out label with PaintLabel.
#pragma once

#include "core/Result.h"
#include "graphics/Drawing.h"
#include "labels/Label.h"
#include "labels/Placeholders.h"
#include "symbols/Symbology.h"

#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

class QPainter;

namespace labels {

// A label with its texts parsed once, to be laid out for many records.
struct PreparedLabel {
    Label label;
    // The parsed text of each part, by the part's index; none for a line or a box.
    std::vector<std::optional<Template>> texts;
};

// The label with its texts parsed, or the first text that is not one
// (naming its part and where in the text).
core::Result<PreparedLabel> PrepareLabel(Label label);

struct LaidOutPart {
    int number = 0; // the part's number, from 1, as the file counts them
    // In dots of the layout's resolution, (0, 0) at the part's top-left
    // corner: every box edge on a whole dot, text as text. `module` is a
    // barcode's dots per module; for the other parts it is one inch, which
    // is whole dots on any grid, so Replay keeps their size exactly.
    graphics::Drawing drawing;
    // Where the part lies on the label, in dots from its corner: its
    // top-left and its size (the drawing's).
    QRect box;
    QString text;    // a barcode's or a text's, placeholders filled
    double points = 0; // a text's size as set, after any shrinking
};

struct LaidOutLabel {
    double dpi = 0;
    QSizeF sizeMm;
    QSize sizeDots;
    std::vector<LaidOutPart> parts;
};

// Kept by a run of labels from one LayOutLabel call to the next (the same
// label, the same dpi): for each barcode part with a caption, the font
// size its caption was found to need and what that size was computed from.
// The next record's barcode is then drawn once at that size instead of
// twice, and kept only when it is provably the drawing the two would make;
// a label laid out with the memo is the same label laid out without it.
struct LayoutMemo {
    struct CaptionFit {
        symbols::Symbology symbology{};
        double captionDots = 0;   // the caption's size asked, in dots
        // The font size the caption was drawn at: the symbology's own when
        // that was right as it was.
        std::optional<double> fontSize;
        double module = 0;        // the symbol's module in its own pixels ...
        int dots = 0;             // ... and in dots, at its own caption size
        double ownPixelSize = 0;  // the caption's em height at its own size ...
        double fitPixelSize = 0;  // ... and at fontSize (the same when that is its own)
    };
    double dpi = 0;
    std::vector<std::optional<CaptionFit>> barcodes; // by part index
};

// The label's parts for a device of `dpi` dots per inch, filled with the
// context's values. Fails, naming the part (and the record, when there are
// fields), when a text can't be filled, a barcode can't be drawn (the
// symbology's reason), a text does not fit its box even at its minimum
// size, a height leaves no room for a barcode's bars, or a part runs past
// the label's edge.
core::Result<LaidOutLabel> LayOutLabel(const PreparedLabel& label, const FillContext& context, double dpi,
                                       LayoutMemo* memo = nullptr);
core::Result<LaidOutLabel> LayOutLabel(const Label& label, const FillContext& context, double dpi);

// Part `index` of the label laid out alone, exactly as LayOutLabel lays it
// out, or why it can't be: an editor shows every part that can be drawn,
// and beside each one that can't its own reason, while LayOutLabel stops
// at the first.
core::Result<LaidOutPart> LayOutPart(const Label& label, size_t index, const FillContext& context, double dpi);

// Paints the laid-out label with its top-left corner at `topLeft` (device
// units), each part replayed on the grid: on a grid of the layout's
// resolution every edge lands where the layout put it; on another grid
// every module is still whole dots of that grid. The grid's calibration
// scale scales the label about its corner.
void PaintLabel(const LaidOutLabel& label, QPainter& painter, QPointF topLeft, const graphics::DeviceGrid& grid);

// Millimetres and a device's dots, at the one place they are converted.
constexpr double kMmPerInch = 25.4;
constexpr double MmToDots(double mm, double dpi) { return mm / kMmPerInch * dpi; }
constexpr double DotsToMm(double dots, double dpi) { return dots * kMmPerInch / dpi; }

} // namespace labels
