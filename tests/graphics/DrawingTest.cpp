// A drawing's bounds cover every kind of shape it holds (boxes and
// pictures by their pixels, lines by their pen, text by its advance and
// em height), and cropping moves them all by the same amount.
#include "graphics/Drawing.h"

#include <gtest/gtest.h>

#include <memory>

using graphics::Drawing;

namespace {

Drawing WithText(QPointF baseline, double pixelSize, double advance)
{
    auto text = std::make_shared<graphics::DrawText>();
    text->pixelSize = pixelSize;
    text->advance = advance;
    text->text = QStringLiteral("A");
    graphics::DrawOp op;
    op.baseline = baseline;
    op.text = text;
    Drawing d;
    d.AddText(op);
    return d;
}

} // namespace

TEST(Drawing, Bounds_CoverEveryKindOfShape)
{
    QImage dot(2, 3, QImage::Format_RGB32);
    struct Case {
        const char* why;
        Drawing drawing;
        QRect bounds;
    };
    Drawing boxes, picture, line, text = WithText(QPointF(1.5, 20), 10, 30.2), all;
    boxes.AddFill(QRect(5, 2, 3, 4), graphics::kBlack);
    boxes.AddFill(QRect(-1, 4, 1, 10), graphics::kBlack);
    picture.AddImage(dot, QPoint(7, 8));
    line.AddLine(QLineF(2, 3.5, 10, 3.5), 1, graphics::kBlack);
    all = boxes;
    all.Append(picture);
    all.Append(line);
    all.Append(text);
    const Case cases[] = {
        {"nothing", Drawing(), QRect()},
        {"boxes by their pixels", boxes, QRect(-1, 2, 9, 12)},
        {"a picture by its size", picture, QRect(7, 8, 2, 3)},
        {"a line by its pen on both sides", line, QRect(1, 2, 10, 3)},
        {"text from an em above its baseline to 0.4 em below, by its advance", text, QRect(1, 10, 31, 14)},
        {"all of them", all, QRect(-1, 2, 33, 22)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(c.drawing.Bounds(), c.bounds);
        const Drawing cropped = c.drawing.Cropped();
        if (!c.bounds.isEmpty())
            EXPECT_EQ(cropped.Bounds(), QRect(QPoint(0, 0), c.bounds.size()));
        EXPECT_EQ(cropped.Bounds(), Drawing(c.drawing).Cropped().Bounds()) << "a moved drawing crops as a copy does";
    }
}
