#include "graphics/Gdi.h"
#include "graphics/PictureBox.h"
#include "tests/graphics/RecordingDC.h"

#include <QFontInfo>
#include <climits>
#include <cstring>
#include <gtest/gtest.h>

using namespace graphics;

namespace {

// A white 100 x 60 pixel box.
PictureBox Box() { return PictureBox(0, 0, 100 * 15, 60 * 15); }

QRect InkBounds(const QImage& img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                r |= QRect(x, y, 1, 1);
    return r;
}

HFONT MakeFont(const char* face, int height)
{
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWeight = 400;
    lf.lfPitchAndFamily = 2;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

} // namespace

TEST(Gdi, MulDiv_RoundsHalvesAwayFromZero_AndReportsFailureAsMinusOne)
{
    struct Case { const char* reason; int a, b, c, expected; };
    const Case cases[] = {
        {"8 points at 96 dpi", 8, 96, 72, 11},
        {"exact", 12, 96, 72, 16},
        {"half up", 1, 3, 2, 2},
        {"negative half away from zero", -1, 3, 2, -2},
        {"negative divisor", 7, 1, -2, -4},
        {"64-bit product", INT_MAX, 4, 8, INT_MAX / 2 + 1},
        {"division by zero", 5, 1, 0, -1},
        {"result beyond 32 bits", INT_MAX, 2, 1, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.reason;
}

TEST(Gdi, ObjectsAreCountedUntilDeletedOnce)
{
    const int live = LiveGdiObjects(), failed = FailedGdiDeletes();
    const HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
    const HPEN p = CreatePen(PS_SOLID, 1, 0);
    const HFONT f = MakeFont("Sans Serif", -11);
    EXPECT_EQ(LiveGdiObjects(), live + 3);
    EXPECT_EQ(KindOf(b), GdiKind::Brush);
    EXPECT_EQ(BrushOf(b)->color, RGB(1, 2, 3));
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_TRUE(DeleteObject(p));
    EXPECT_TRUE(DeleteObject(f));
    EXPECT_EQ(LiveGdiObjects(), live);
    EXPECT_FALSE(DeleteObject(b)) << "a second delete fails";
    EXPECT_EQ(FailedGdiDeletes(), failed + 1);
    EXPECT_TRUE(DeleteObject(GetStockObject(NULL_PEN))) << "stock objects are not deleted";
    EXPECT_EQ(KindOf(GetStockObject(NULL_PEN)), GdiKind::Pen);
    EXPECT_EQ(LiveGdiObjects(), live);
}

TEST(Gdi, SelectObject_ReturnsThePreviousOfItsKind)
{
    PictureBox box = Box();
    PictureBoxDC dc(box);
    const HBRUSH b = CreateSolidBrush(0);
    EXPECT_EQ(SelectObject(&dc, b), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(&dc, GetStockObject(NULL_PEN)), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(&dc, GetStockObject(NULL_BRUSH)), b);
    DeleteObject(b);
    EXPECT_EQ(SelectObject(&dc, b), HGDIOBJ::Null) << "a deleted object cannot be selected";
}

TEST(Gdi, Rectangle_CoversExactlyRightMinusLeftPixels)
{
    struct Case { const char* reason; int pen; bool nullPen; QRgb inside, edge; };
    const Case cases[] = {
        {"bar: pen and brush black", 0, false, qRgb(0, 0, 0), qRgb(0, 0, 0)},
        {"null pen: fill only", 0, true, qRgb(0, 0, 255), qRgb(0, 0, 255)},
        {"outline in another colour", RGB(255, 0, 0), false, qRgb(0, 0, 255), qRgb(255, 0, 0)},
    };
    for (const auto& c : cases) {
        PictureBox box = Box();
        {
            PictureBoxDC dc(box);
            const HBRUSH brush = CreateSolidBrush(c.pen == 0 && !c.nullPen ? 0 : RGB(0, 0, 255));
            const HPEN pen = CreatePen(PS_SOLID, 1, c.pen);
            SelectObject(&dc, brush);
            SelectObject(&dc, c.nullPen ? GetStockObject(NULL_PEN) : pen);
            Rectangle(&dc, 10, 5, 16, 25);
            SelectObject(&dc, GetStockObject(WHITE_BRUSH));
            SelectObject(&dc, GetStockObject(BLACK_PEN));
            DeleteObject(brush);
            DeleteObject(pen);
        }
        const QImage img = box.Image();
        EXPECT_EQ(InkBounds(img), QRect(10, 5, 6, 20)) << c.reason;
        EXPECT_EQ(img.pixel(12, 10), c.inside) << c.reason;
        EXPECT_EQ(img.pixel(10, 10), c.edge) << c.reason;
    }
}

TEST(Gdi, PictureBoxDC_TellsTheBoxWhenItDrew)
{
    PictureBox box = Box();
    int changes = 0;
    box.OnChanged = [&] { ++changes; };
    {
        PictureBoxDC dc(box);
        SelectObject(&dc, GetStockObject(BLACK_BRUSH));
        Rectangle(&dc, 0, 0, 3, 3);
    }
    EXPECT_GT(changes, 0) << "a widget showing the box repaints";
}

TEST(Gdi, MissingFace_FallsBackToDejaVuSans)
{
    const HFONT missing = MakeFont("MS Sans Serif", -11);
    const QFontInfo got(FontOf(missing)->font);
    EXPECT_EQ(got.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(got.pixelSize(), 11);
    DeleteObject(missing);
}

TEST(Gdi, TextMetricsAndExtent_FollowTheFontAndCharacterExtra)
{
    PictureBox box = Box();
    PictureBoxDC dc(box);
    const HFONT f = MakeFont("MS Sans Serif", -11);
    const HGDIOBJ old = SelectObject(&dc, f);
    TEXTMETRICA tm;
    ASSERT_TRUE(GetTextMetricsA(&dc, &tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 11);
    EXPECT_GT(tm.tmAveCharWidth, 0);
    SIZE plain, spaced;
    ASSERT_TRUE(GetTextExtentPoint32A(&dc, "ABCD", 4, &plain));
    EXPECT_EQ(plain.cy, tm.tmHeight);
    EXPECT_GT(plain.cx, 4 * 3);
    SetTextCharacterExtra(&dc, 5);
    ASSERT_TRUE(GetTextExtentPoint32A(&dc, "ABCD", -1, &spaced));
    EXPECT_EQ(spaced.cx, plain.cx + 4 * 5);
    SelectObject(&dc, old);
    DeleteObject(f);
}

TEST(Gdi, DrawText_CalcRectMeasuresWithoutDrawing_AndAlignmentPlacesTheInk)
{
    PictureBox box = Box();
    const HFONT f = MakeFont("MS Sans Serif", -11);
    {
        PictureBoxDC dc(box);
        SelectObject(&dc, f);
        SIZE size;
        GetTextExtentPoint32A(&dc, "III", 3, &size);
        RECT r;
        SetRect(&r, 10, 5, 20, 6);
        const QImage before = box.Image();
        EXPECT_EQ(DrawTextA(&dc, "III", 3, &r, DT_CENTER | DT_CALCRECT), size.cy);
        EXPECT_EQ(r, (RECT{10, 5, 10 + size.cx, 5 + size.cy}));
        EXPECT_EQ(box.Image(), before);

        SetBkMode(&dc, TRANSPARENT);
        SetRect(&r, 0, 0, 100, 20);
        DrawTextA(&dc, "III", 3, &r, DT_RIGHT);
        SelectObject(&dc, GetStockObject(SYSTEM_FONT));
    }
    DeleteObject(f);
    const QRect ink = InkBounds(box.Image());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.left(), 80) << "right-aligned text ends at the right edge";
    EXPECT_LE(ink.right(), 99);
}

TEST(Gdi, DrawText_LinePositionsByFormat)
{
    testsupport::RecordingDC dc; // 6 units per character, lines 13 high
    RECT r{10, 0, 70, 0};
    for (unsigned format : {DT_LEFT, DT_CENTER, DT_RIGHT})
        DrawTextA(&dc, "AB\r\nCDEF", -1, &r, format);
    const int expectedX[] = {10, 10, (10 + 70 - 12) / 2, (10 + 70 - 24) / 2, 70 - 12, 70 - 24};
    ASSERT_EQ(dc.texts.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(dc.texts[i].x, expectedX[i]) << i;
        EXPECT_EQ(dc.texts[i].y, i % 2 == 0 ? 0 : 13) << i;
    }
}

TEST(Gdi, AnsiBytes_UsesTheWindowsCodePage)
{
    EXPECT_EQ(AnsiBytes(QStringLiteral("A\u00b9\u20ac\u4e2d")), QByteArray("A\xb9\x80?"));
    EXPECT_EQ(AnsiBytes(QStringLiteral("\U0001F600")), QByteArray("?")) << "one replacement per character";
}
