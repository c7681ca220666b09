// A label of several parts as a printer put it on a page, held against its
// file: both readers read its codes, every part lies within a tolerance of
// where the file places it, and nothing lies outside the label's cell.
#pragma once

#include "labels/LabelLayout.h"
#include "tests/support/Decode.h"
#include "tests/support/Pages.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace testsupport {

// The dark pixels' bounds within `area` of a grey page; empty when none.
inline QRect InkIn(const QImage& grey, const QRect& area)
{
    QRect ink;
    const QRect r = area.intersected(grey.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* row = grey.constScanLine(y);
        for (int x = r.left(); x <= r.right(); ++x)
            if (row[x] < 128)
                ink |= QRect(x, y, 1, 1);
    }
    return ink;
}

// Where a printed label lies: the page's resolution and the label's
// top-left corner on it.
struct LabelOnPage {
    double dpi = 0;
    QPointF cornerMm;

    double Px(double mm) const { return mm / labels::kMmPerInch * dpi; }
    QRect Rect(const QRectF& mmOnLabel) const
    {
        const QRectF r(Px(cornerMm.x() + mmOnLabel.x()), Px(cornerMm.y() + mmOnLabel.y()), Px(mmOnLabel.width()),
                       Px(mmOnLabel.height()));
        return r.toAlignedRect();
    }
    double Mm(double px) const { return px * labels::kMmPerInch / dpi; }
};

// `laid` is the label as laid out for the printer, `file` the label it
// was laid out from; `codes` what the barcodes read, in the order of the
// parts.
inline void ExpectLabelWhereTheFilePlacesIt(const QImage& printed, const LabelOnPage& at, const labels::Label& file,
                                            const labels::LaidOutLabel& laid, const std::vector<std::string>& codes,
                                            double toleranceMm = 0.2)
{
    const QImage page = printed.convertToFormat(QImage::Format_Grayscale8);
    const int tolerance = static_cast<int>(std::lround(at.Px(toleranceMm)));
    const QRect cell = at.Rect(QRectF(QPointF(), file.sizeMm));
    const QRect ink = InkIn(page, page.rect());
    EXPECT_TRUE(cell.adjusted(-tolerance, -tolerance, tolerance, tolerance).contains(ink))
        << "nothing outside the label's cell: ink " << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
    const auto near = [&](double px, double mm, const char* what, int part) {
        EXPECT_LE(std::abs(at.Mm(px) - mm), toleranceMm) << what << " of part " << part << ": " << at.Mm(px) << " mm, not " << mm;
    };
    std::vector<std::string> zbar;
    for (const labels::LaidOutPart& part : laid.parts) {
        const labels::Part& placed = file.parts[static_cast<size_t>(part.number - 1)];
        const QRectF boxMm(labels::DotsToMm(part.box.x(), laid.dpi), labels::DotsToMm(part.box.y(), laid.dpi),
                           labels::DotsToMm(part.box.width(), laid.dpi), labels::DotsToMm(part.box.height(), laid.dpi));
        if (std::holds_alternative<labels::BoxPart>(placed.what)) {
            // The frame is the outermost part: the ink's bounds are its edges.
            const QRectF edges = labels::KnownExtentMm(placed);
            near(ink.left() - at.Px(at.cornerMm.x()), edges.left(), "the frame's left edge", part.number);
            near(ink.top() - at.Px(at.cornerMm.y()), edges.top(), "the frame's top edge", part.number);
            near(ink.right() + 1 - at.Px(at.cornerMm.x()), edges.right(), "the frame's right edge", part.number);
            near(ink.bottom() + 1 - at.Px(at.cornerMm.y()), edges.bottom(), "the frame's bottom edge", part.number);
            continue;
        }
        near(at.Px(boxMm.x()), placed.atMm.x(), "the left edge", part.number);
        near(at.Px(boxMm.y()), placed.atMm.y(), "the top edge", part.number);
        // What the page holds around the part (clear of the others) lies
        // within the part's place and size.
        const QRect box = at.Rect(boxMm);
        const int clear = static_cast<int>(at.Px(0.6));
        const QRect own = InkIn(page, box.adjusted(-clear, -clear, clear, clear));
        EXPECT_FALSE(own.isEmpty()) << "part " << part.number << " printed";
        EXPECT_TRUE(box.adjusted(-tolerance, -tolerance, tolerance, tolerance).contains(own)) << "the ink of part " << part.number;
        if (std::holds_alternative<labels::BarcodePart>(placed.what)) {
            near(own.left() - at.Px(at.cornerMm.x()), placed.atMm.x(), "the symbol's left edge", part.number);
            near(own.top() - at.Px(at.cornerMm.y()), placed.atMm.y(), "the symbol's top edge", part.number);
            // Each code alone, as a scanner held over it sees it.
            zbar.push_back(ZbarReadOne(WithQuietZone(page.copy(box))));
        }
    }
    std::vector<std::string> zxing;
    for (const Decoded& d : DecodeAll(WithQuietZone(page.copy(cell))))
        zxing.push_back(d.text);
    std::sort(zxing.begin(), zxing.end());
    std::vector<std::string> expected = codes;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(zxing, expected) << "zxing-cpp";
    EXPECT_EQ(zbar, codes) << "zbar, part by part";
}

} // namespace testsupport
