// A label of several parts: barcodes, lines of text, lines and frames,
// each placed in mm from the label's top-left corner. What a label file
// holds and what LayOutLabel turns into drawings for a device. Texts may
// hold placeholders (see Placeholders.h), filled when the label is laid out.
#pragma once

#include "symbols/LibraryCodes.h"
#include "symbols/Symbology.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

namespace labels {

// The unit a label's sizes are shown and entered in. The model and the
// file hold every length in mm whatever the unit.
enum class LengthUnit { Mm, Inch };

// A barcode of any symbology of the table. Its width comes from the module
// or from the width it is stretched to (exactly one of the two is set);
// either way every module is the same whole number of the device's dots.
struct BarcodePart {
    symbols::Symbology symbology = symbols::Symbology::Code128;
    QString text;
    // The narrow bar (a 2D code's module); rounded to whole device dots,
    // at least one.
    std::optional<double> moduleMm;
    // The width the symbol is stretched to: the most whole dots a module
    // that keep the symbol within it.
    std::optional<double> widthMm;
    // The symbol's whole height, its caption included: the bars take what
    // the caption leaves. None: the symbology's own proportion. A 2D code's
    // height follows its module and takes none.
    std::optional<double> heightMm;
    bool caption = false;     // the human-readable text under the bars
    double captionPoints = 8; // its size on the label
    symbols::LibraryOptions library; // QR's error correction, PDF417's columns, Data Matrix's shape
};

enum class Align { Left, Centre, Right };

// One line of text, its top-left corner at the part's place. With a box
// width the text is aligned in the box, and a text too wide for it is set
// smaller, down to the minimum size; below that it is refused, never cut.
struct TextPart {
    QString text;
    QString font = QStringLiteral("DejaVu Sans");
    double points = 10;
    bool bold = false;
    Align align = Align::Left;
    std::optional<double> boxWidthMm;
    double minPoints = 6; // used only with a box width
};

// A straight line from the part's place to its end; the stroke is centred
// on it. A line that is not level or upright has square ends, half the
// stroke beyond each end.
struct LinePart {
    QPointF endMm;
    double strokeMm = 0.3;
};

// A frame, its outer edge at the part's place and size; the stroke lies
// inside it.
struct BoxPart {
    QSizeF sizeMm;
    double strokeMm = 0.3;
};

struct Part {
    QPointF atMm; // the top-left corner (a line: its start)
    std::variant<BarcodePart, TextPart, LinePart, BoxPart> what;
};

struct Label {
    QSizeF sizeMm;
    LengthUnit unit = LengthUnit::Mm;
    std::vector<Part> parts;
};

// What a part is, as a message and the label file name it: "barcode",
// "text", "line", "box".
QString KindName(const Part& part);

// The text of a part that has one (a barcode's, a text's), else none.
const QString* PartText(const Part& part);
QString* PartText(Part& part);

// A single barcode (the main window's) as a label of one part: the
// barcode at `atMm` on a label of `sizeMm`.
Label OneBarcodeLabel(const BarcodePart& barcode, QSizeF sizeMm, QPointF atMm = {});

// What the part covers as far as its own fields say, in mm from the
// label's corner: a box or a line whole, a text's box width, a barcode's
// stretch width and height; what depends on the text (a barcode's module
// count, a text's measure) only once it is laid out.
QRectF KnownExtentMm(const Part& part);

} // namespace labels
