#include "files/PdfDocument.h"
#include "tests/support/Pages.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int kDpi = 300;

QPageLayout A6()
{
    return QPageLayout(QPageSize(QPageSize::A6), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
}

// Paints the same scene on a PDF document and on a picture of its
// printable area at the document's resolution.
struct TwoWays {
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QImage picture;
    int dpi;

    template <typename Paint>
    explicit TwoWays(Paint paint, int resolution = kDpi) : dpi(resolution)
    {
        QFile file(pdf);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        files::PdfDocument doc(&file, A6(), dpi);
        QPainter onPdf(&doc);
        paint(onPdf);
        EXPECT_TRUE(onPdf.end());
        file.close();

        picture = QImage(doc.width(), doc.height(), QImage::Format_RGB32);
        picture.setDotsPerMeterX(qRound(dpi / 0.0254));
        picture.setDotsPerMeterY(qRound(dpi / 0.0254));
        picture.fill(Qt::white);
        QPainter onPicture(&picture);
        paint(onPicture);
    }
    // The PDF's page, cut to the printable area.
    QImage Page() const
    {
        const std::vector<QImage> pages = testsupport::RenderPdf(pdf, dpi);
        EXPECT_EQ(pages.size(), 1u);
        const QRect area = A6().paintRectPixels(dpi);
        return pages.empty() ? QImage() : pages[0].copy(area);
    }
    QString Text() const
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
};

QRect Ink(const QImage& image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (testsupport::IsDark(image, x, y))
                r |= QRect(x, y, 1, 1);
    return r;
}

// 300 characters the fonts have, none of them twice: more than one Type 3
// font holds.
QString ManyCharacters()
{
    QString s;
    for (char16_t c = 0x100; c < 0x100 + 300; ++c)
        s += QChar(c);
    return s;
}

} // namespace

TEST(PdfDocumentTest, Text_LandsWhereQtDrawsIt_AndIsSearchableWhenItNeedsNoShaping)
{
    struct Row {
        const char* note;
        QString text;
        bool searchable;
        double degrees = 0;
    } rows[] = {
        {"a label's text", QStringLiteral("QV-0001 Label"), true},
        {"pairs the font kerns", QStringLiteral("AVAVAVAVAV To Ty WAWAWA LT LY"), true},
        {"Latin-1 and beyond", QStringLiteral("Größe 5 € — ñ"), true},
        {"Greek and Cyrillic", QStringLiteral("Ελληνικά Кириллица"), true},
        {"turned a quarter", QStringLiteral("A00000001"), true, 90},
        {"joined script: Qt shapes it", QStringLiteral("مرحبا"), false},
        {"a combining mark: Qt shapes it", QStringLiteral("Cafe\u0301"), false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.note);
        const TwoWays both([&](QPainter& p) {
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPointSizeF(14);
            p.setFont(font);
            p.translate(150, 300);
            p.rotate(-r.degrees);
            graphics::DrawTextLine(p, QPointF(0, 0), r.text);
        });
        const QRect expected = Ink(both.picture), got = Ink(both.Page());
        ASSERT_FALSE(expected.isEmpty());
        // Hinting and antialiasing differ by a dot at an edge, never more.
        EXPECT_NEAR(got.left(), expected.left(), 2);
        EXPECT_NEAR(got.top(), expected.top(), 2);
        EXPECT_NEAR(got.right(), expected.right(), 3);
        EXPECT_NEAR(got.bottom(), expected.bottom(), 2);
        if (r.searchable) {
            EXPECT_EQ(both.Text(), r.text);
        }
    }

    const QString many = ManyCharacters();
    const TwoWays both([&](QPainter& p) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(4);
        p.setFont(font);
        for (int line = 0; line * 30 < many.size(); ++line)
            p.drawText(QPointF(10, 40 + 30 * line), many.mid(line * 30, 30));
    });
    EXPECT_EQ(both.Text().remove(QLatin1Char('\n')), many);
}

TEST(PdfDocumentTest, Shapes_LandOnTheSameDotsAsOnAPicture)
{
    QImage checks(4, 2, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y)
            checks.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const auto paint = [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        const QRectF bars[] = {{30, 30, 6, 200}, {42, 30, 3, 200}, {51, 30, 9, 200}};
        p.setBrush(Qt::black);
        p.drawRects(bars, 3);
        p.fillRect(QRectF(100, 30, 50, 20), QColor(0, 0, 0));
        p.fillRect(QRectF(100, 60, 50, 20), QColor(255, 255, 255)); // white on white: nothing
        p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QLineF(200, 30, 200, 130));
        p.drawImage(QRectF(240, 30, 80, 40), checks); // 20 dots a pixel
        p.save();
        p.translate(100, 150);
        p.scale(2, 2);
        p.setPen(Qt::NoPen);
        p.fillRect(QRectF(0, 0, 10, 10), Qt::black);
        p.restore();
        for (int x = 0; x < 200; ++x) // bars of one and two dots, far from the corner
            p.fillRect(QRectF(100 + 3 * x, 500 + x, 1 + x % 2, 100), Qt::black);
    };
    // At 203 dpi a point is 203/72 dots: the page's scale must be exact
    // enough that the far end of the page is still on whole dots.
    for (const int dpi : {203, 300}) {
        SCOPED_TRACE(dpi);
        const TwoWays both(paint, dpi);
        const QImage page = both.Page();
        ASSERT_EQ(page.size(), both.picture.size());
        // Poppler rounds a picture's edges outward by a dot; its inside counts.
        const QRect pictureBox(240, 30, 80, 40);
        const QRect ring = pictureBox.adjusted(-1, -1, 1, 1);
        qint64 differ = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (!ring.contains(x, y) || pictureBox.adjusted(1, 1, -1, -1).contains(x, y))
                    differ += testsupport::IsDark(page, x, y) != testsupport::IsDark(both.picture, x, y);
        EXPECT_EQ(differ, 0);
    }
}

TEST(PdfDocumentTest, ADeviceThatCannotBeWritten_FailsTheDocument)
{
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    files::PdfDocument doc(&readOnly, A6(), kDpi);
    QPainter p(&doc);
    p.fillRect(QRectF(0, 0, 10, 10), Qt::black);
    EXPECT_FALSE(p.end());
}
