// The label the labels' tests share: a Code 128 and a QR Code, three lines
// of text (one shrunk into its box, one centred, one right-aligned) and a
// frame, on a 100 x 60 mm label.
#pragma once

#include "labels/Label.h"

namespace testsupport {

inline labels::Label SampleLabel()
{
    using namespace labels;
    BarcodePart code128;
    code128.symbology = symbols::Symbology::Code128;
    code128.text = QStringLiteral("SKU-${#:%04d}");
    code128.moduleMm = 0.33;
    code128.heightMm = 15;
    code128.caption = true;
    BarcodePart qr;
    qr.symbology = symbols::Symbology::Qr;
    qr.text = QStringLiteral("https://example.com/p/${#}");
    qr.moduleMm = 0.75;
    qr.library.qrEcc = 'Q';
    TextPart best;
    best.text = QStringLiteral("Best before ${date+30:dd.MM.yyyy}");
    best.points = 12;
    best.bold = true;
    TextPart name;
    name.text = QStringLiteral("A product name rather too long for its box");
    name.boxWidthMm = 60;
    name.align = Align::Centre;
    TextPart price;
    price.text = QStringLiteral("€ 12.50");
    price.boxWidthMm = 30;
    price.align = Align::Right;
    price.font = QStringLiteral("DejaVu Serif");
    BoxPart frame;
    frame.sizeMm = QSizeF(98, 58);
    frame.strokeMm = 0.5;
    Label label;
    label.sizeMm = QSizeF(100, 60);
    label.parts = {Part{{5, 5}, code128}, Part{{70, 5}, qr},      Part{{5, 28}, best},
                   Part{{5, 35}, name},   Part{{65, 49}, price}, Part{{1, 1}, frame}};
    return label;
}

} // namespace testsupport
