// The scaled copy: which source columns land on which destination column,
// and black winning where columns merge.
#include "platform/StretchCopy.h"

#include <gtest/gtest.h>

using platform::StretchColumns;

namespace {

// One-row image from a picture like "B..B": B black, . white.
QImage Row(const char* cells, int height = 1)
{
    const int w = static_cast<int>(qstrlen(cells));
    QImage img(w, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, cells[x] == 'B' ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return img;
}

std::string Cells(const QImage& img, int y = 0)
{
    std::string s;
    for (int x = 0; x < img.width(); ++x)
        s += img.pixel(x, y) == qRgb(0, 0, 0) ? 'B' : img.pixel(x, y) == qRgb(255, 255, 255) ? '.' : '?';
    return s;
}

} // namespace

TEST(StretchCopy, Columns_MapAndMergeBlackWins)
{
    struct Case {
        const char* reason;
        const char* source;
        int sourceWidth, destUnits, sourceUnits;
        const char* dest; // before the copy: x marks what must stay
        const char* expected;
        int written;
    };
    const Case cases[] = {
        {"5/8: a lone black column survives the merge", "B..BB...", 8, 5, 8, "xxxxxxx", "B.BB.xx", 5},
        {"12/8: every other column is repeated", "B..BB...", 8, 12, 8, "xxxxxxxxxxxx", "BB...BBB....", 12},
        {"1/1 copies as it is", "B.B", 3, 1, 1, "xxxx", "B.Bx", 3},
        {"only the given source width is copied", "B.BBBB", 2, 1, 1, "xxxx", "B.xx", 2},
        {"the destination holds the copy to its edge", "B..BB...", 8, 2, 1, "xxxxx", "BB...", 5},
        {"no units, no copy", "B.B", 3, 0, 800, "xxx", "xxx", 0},
    };
    for (const auto& c : cases) {
        QImage dest(static_cast<int>(qstrlen(c.dest)), 1, QImage::Format_RGB32);
        dest.fill(qRgb(10, 20, 30)); // marks untouched columns
        EXPECT_EQ(StretchColumns(Row(c.source), c.sourceWidth, dest, c.destUnits, c.sourceUnits), c.written) << c.reason;
        std::string got = Cells(dest);
        for (char& ch : got)
            if (ch == '?')
                ch = 'x';
        EXPECT_EQ(got, c.expected) << c.reason;
    }
}

TEST(StretchCopy, MergedColours_TakeTheDarkestOfEachChannel)
{
    QImage source(2, 1, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(200, 40, 90));
    source.setPixel(1, 0, qRgb(60, 220, 90));
    QImage dest(1, 1, QImage::Format_RGB32);
    StretchColumns(source, 2, dest, 1, 2);
    EXPECT_EQ(dest.pixel(0, 0), qRgb(60, 40, 90));
}

TEST(StretchCopy, Rows_AreCopiedOneToOneAsFarAsBothReach)
{
    QImage source = Row("B.", 3);
    source.setPixel(1, 2, qRgb(0, 0, 0)); // the last row differs from the one above
    QImage dest(2, 4, QImage::Format_RGB32);
    dest.fill(qRgb(10, 20, 30));
    StretchColumns(source, 2, dest, 1, 1);
    EXPECT_EQ(Cells(dest, 0), "B.");
    EXPECT_EQ(Cells(dest, 1), "B.");
    EXPECT_EQ(Cells(dest, 2), "BB") << "a changed row is not taken for a repeat";
    EXPECT_EQ(Cells(dest, 3), "??") << "below the source the destination stays";
}
