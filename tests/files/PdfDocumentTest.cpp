#include "files/PdfDocument.h"
#include "graphics/Drawing.h"
#include "tests/support/Pages.h"

#include <QBuffer>
#include <QGlyphRun>
#include <QTextLayout>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRegularExpression>
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
    // The text a reader finds, without the marks pdftotext puts around
    // right-to-left text.
    QString Text() const { return testsupport::PdfText(pdf).remove(QRegularExpression(QStringLiteral("[\u202A-\u202E]"))).trimmed(); }
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

TEST(PdfDocumentTest, Text_LandsWhereQtDrawsIt_AndIsSearchable)
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
        {"joined script: Qt shapes it", QStringLiteral("مرحبا"), true},
        {"a combining mark: Qt shapes it", QStringLiteral("Cafe\u0301"), true},
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

namespace {

// The number of dots dark on one picture and light on the other.
qint64 Differ(const QImage& a, const QImage& b)
{
    qint64 n = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            n += testsupport::IsDark(a, x, y) != testsupport::IsDark(b, x, y);
    return n;
}

qint64 DarkDots(const QImage& image)
{
    QImage white(image.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    return Differ(image, white);
}

// True when every character of the text has a glyph in the fonts Qt falls
// back on (a missing one is drawn as a box, stored as the character).
bool FontsHave(const QFont& font, const QString& text)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : line.glyphRuns())
        if (run.glyphIndexes().contains(0))
            return false;
    return true;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(PdfDocumentTest, ClipsDashesAndWhatQtDrawsForTheEngine_DrawAsOnAPicture)
{
    QImage checks(4, 2, QImage::Format_RGB32);
    checks.fill(Qt::black);
    const QRectF everything(0, 0, 1200, 1700);
    const struct Row {
        const char* note;
        std::function<void(QPainter&)> paint;
    } rows[] = {
        {"a rectangle clip", [&](QPainter& p) { p.setClipRect(QRectF(50, 50, 200, 120)); p.fillRect(everything, Qt::black); }},
        {"a path clip, odd-even", [&](QPainter& p) {
             QPainterPath ring;
             ring.addEllipse(QRectF(100, 100, 400, 300));
             ring.addEllipse(QRectF(200, 175, 200, 150));
             ring.setFillRule(Qt::OddEvenFill);
             p.setClipPath(ring);
             p.fillRect(everything, Qt::black);
         }},
        {"two clips meet", [&](QPainter& p) {
             p.setClipRect(QRectF(50, 50, 300, 300));
             p.setClipRect(QRectF(200, 200, 300, 300), Qt::IntersectClip);
             p.fillRect(everything, Qt::black);
         }},
        {"a clip turned with the painter", [&](QPainter& p) {
             p.translate(300, 300);
             p.rotate(30);
             p.setClipRect(QRectF(0, 0, 300, 100));
             p.resetTransform();
             p.fillRect(everything, Qt::black);
         }},
        {"a clip ends with restore", [&](QPainter& p) {
             p.save();
             p.setClipRect(QRectF(50, 50, 100, 100));
             p.fillRect(everything, Qt::black);
             p.restore();
             p.fillRect(QRectF(400, 400, 100, 100), Qt::black);
         }},
        {"a clip cuts text and pictures", [&](QPainter& p) {
             p.setClipRect(QRectF(100, 100, 300, 45));
             QFont font(QStringLiteral("DejaVu Sans"));
             font.setPixelSize(80);
             p.setFont(font);
             graphics::DrawTextLine(p, QPointF(100, 180), QStringLiteral("HXHXH"));
             p.drawImage(QRectF(100, 100, 400, 200), checks);
         }},
        {"nothing shows through an empty clip", [&](QPainter& p) {
             p.setClipRect(QRectF(0, 0, 100, 100));
             p.setClipRect(QRectF(200, 200, 100, 100), Qt::IntersectClip);
             p.fillRect(everything, Qt::black);
         }},
        {"dashes", [&](QPainter& p) { p.setPen(QPen(Qt::black, 8, Qt::DashLine, Qt::FlatCap)); p.drawLine(QLineF(50, 100, 900, 100)); }},
        {"dots and dashes, square ends", [&](QPainter& p) {
             p.setPen(QPen(Qt::black, 8, Qt::DashDotLine, Qt::SquareCap));
             p.drawLine(QLineF(50, 100, 900, 100));
         }},
        {"a pattern of its own, moved on", [&](QPainter& p) {
             QPen pen(Qt::black, 6);
             pen.setCapStyle(Qt::FlatCap);
             pen.setDashPattern({5, 2, 1, 2});
             pen.setDashOffset(3);
             p.setPen(pen);
             p.drawRect(QRectF(100, 100, 600, 300));
         }},
        {"a colour mostly see-through, over white and black", [&](QPainter& p) {
             p.fillRect(QRectF(50, 50, 300, 300), Qt::black);
             p.fillRect(QRectF(200, 200, 300, 300), QColor(0, 0, 0, 100));
         }},
        {"a gradient", [&](QPainter& p) {
             QLinearGradient dark(QPointF(100, 0), QPointF(700, 0));
             dark.setColorAt(0, Qt::black);
             dark.setColorAt(1, Qt::white);
             p.fillRect(QRectF(100, 100, 600, 200), dark);
         }},
        {"dashes, then a solid line again", [&](QPainter& p) {
             p.setPen(QPen(Qt::black, 8, Qt::DotLine, Qt::FlatCap));
             p.drawLine(QLineF(50, 100, 900, 100));
             p.setPen(QPen(Qt::black, 8, Qt::SolidLine, Qt::FlatCap));
             p.drawLine(QLineF(50, 200, 900, 200));
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.note);
        const TwoWays both(r.paint);
        const QImage page = both.Page();
        ASSERT_EQ(page.size(), both.picture.size());
        // Edges antialiased by the renderer may fall either way: a dot in
        // twenty of what is dark. A clip or a dash not honoured is far more.
        EXPECT_LE(Differ(page, both.picture), DarkDots(both.picture) / 20 + 50);
    }
}

// Captions in the scripts a label may carry are text in the PDF, each
// glyph from the font Qt falls back on, drawn where Qt draws it.
TEST(PdfDocumentTest, CaptionsInTwelveScripts_AreTextAReaderFinds)
{
    const struct Row {
        const char* script;
        QString text;
    } rows[] = {
        {"Latin", QStringLiteral("Größe Œuvre")},
        {"Greek", QStringLiteral("Καλημέρα κόσμε")},
        {"Cyrillic", QStringLiteral("Привет мир")},
        {"Arabic, joined, right to left", QStringLiteral("مرحبا بالعالم")},
        {"Hebrew, right to left", QStringLiteral("שלום עולם")},
        {"Devanagari, vowels reordered", QStringLiteral("नमस्ते दुनिया")},
        {"Thai, marks above and below", QStringLiteral("สวัสดีชาวโลก")},
        {"Chinese", QStringLiteral("你好世界")},
        {"Japanese kana", QStringLiteral("こんにちはカタカナ")},
        {"Korean Hangul", QStringLiteral("안녕하세요")},
        {"combining marks", QStringLiteral("Cafe\u0301 n\u0303o\u0308")},
        {"emoji, a colour picture", QStringLiteral("Party 🎉 ok")},
    };
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(60);
    for (const Row& r : rows)
        ASSERT_TRUE(FontsHave(font, r.text)) << r.script << ": the fonts scripts/deps installs are missing";
    const TwoWays both([&](QPainter& p) {
        p.setFont(font);
        for (size_t i = 0; i < std::size(rows); ++i)
            graphics::DrawTextLine(p, QPointF(60, 100 + 120 * double(i)), rows[i].text);
    });
    const QString found = both.Text().remove(QRegularExpression(QStringLiteral("\\s")));
    const QImage page = both.Page();
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].script);
        EXPECT_TRUE(found.contains(QString(rows[i].text).remove(QLatin1Char(' ')))) << found.toStdString();
        const QRect band(0, 100 + 120 * int(i) - 90, page.width(), 120);
        const QRect expected = Ink(both.picture.copy(band)), got = Ink(page.copy(band));
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_NEAR(got.left(), expected.left(), 3);
        EXPECT_NEAR(got.right(), expected.right(), 3);
        EXPECT_NEAR(got.top(), expected.top(), 3);
        EXPECT_NEAR(got.bottom(), expected.bottom(), 3);
    }
}

// A listing in many scripts stores each glyph once, as a Latin one does.
TEST(PdfDocumentTest, AListingInManyScripts_IsNotMuchLargerThanALatinOne)
{
    const QStringList mixed = {QStringLiteral("Ελληνικά"), QStringLiteral("مرحبا بالعالم"), QStringLiteral("שלום עולם"),
                               QStringLiteral("नमस्ते"),   QStringLiteral("你好世界"),      QStringLiteral("안녕하세요"),
                               QStringLiteral("こんにちは"), QStringLiteral("Cafe\u0301"),   QStringLiteral("🎉")};
    const auto listing = [](const QString& pdf, const std::function<QString(int)>& line) {
        QFile file(pdf);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        files::PdfDocument doc(&file, A6(), kDpi);
        QPainter p(&doc);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(8);
        p.setFont(font);
        for (int i = 0; i < 3000; ++i) {
            if (i > 0 && i % 40 == 0)
                doc.NewPage();
            graphics::DrawTextLine(p, QPointF(20, 40 + 40 * (i % 40)), line(i));
        }
        EXPECT_TRUE(p.end());
        return file.size();
    };
    QTemporaryDir dir;
    const QString many = dir.filePath(QStringLiteral("many.pdf")), latin = dir.filePath(QStringLiteral("latin.pdf"));
    const qint64 manySize = listing(many, [&](int i) { return QStringLiteral("%1 QV-%2 ").arg(i).arg(i * 7) + mixed[i % mixed.size()]; });
    const qint64 latinSize = listing(latin, [](int i) { return QStringLiteral("%1 QV-%2 Latin text").arg(i).arg(i * 7); });
    EXPECT_LE(manySize, 2 * latinSize) << manySize << " bytes against " << latinSize;
    testsupport::ExpectValidPdf(many);
}

TEST(PdfDocumentTest, PageSizes_AreExact_AndTheDocumentHasAnIdentifier)
{
    const struct Row {
        const char* note;
        QPageLayout layout;
        double width, height; // points
    } rows[] = {
        {"100 × 150 mm", QPageLayout(QPageSize(QSizeF(100, 150), QPageSize::Millimeter, {}, QPageSize::ExactMatch), QPageLayout::Portrait, {}),
         283.465, 425.197},
        {"A4", QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, {}), 595.276, 841.89},
        {"4 × 6 in, turned", QPageLayout(QPageSize(QSizeF(4, 6), QPageSize::Inch, {}, QPageSize::ExactMatch), QPageLayout::Landscape, {}),
         432, 288},
        {"whole points", QPageLayout(QPageSize(QSizeF(101, 57), QPageSize::Point, {}, QPageSize::ExactMatch), QPageLayout::Portrait, {}),
         101, 57},
    };
    QTemporaryDir dir;
    QByteArray ids;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.note);
        const QString pdf = dir.filePath(QString::fromUtf8(r.note) + QStringLiteral(".pdf"));
        {
            QFile file(pdf);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            files::PdfDocument doc(&file, r.layout, kDpi);
            QPainter p(&doc);
            p.fillRect(QRectF(0, 0, 10, 10), Qt::black);
            ASSERT_TRUE(p.end());
        }
        testsupport::ExpectValidPdf(pdf);
        const QByteArray bytes = ReadAll(pdf);
        const QRegularExpressionMatch box =
            QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]")).match(QString::fromLatin1(bytes));
        ASSERT_TRUE(box.hasMatch());
        EXPECT_NEAR(box.captured(1).toDouble(), r.width, 0.01);
        EXPECT_NEAR(box.captured(2).toDouble(), r.height, 0.01);
        const QRegularExpressionMatch id =
            QRegularExpression(QStringLiteral("/ID \\[<([0-9a-f]{32})><([0-9a-f]{32})>\\]")).match(QString::fromLatin1(bytes));
        ASSERT_TRUE(id.hasMatch());
        EXPECT_EQ(id.captured(1), id.captured(2)) << "a new file's two identifiers are the same";
        EXPECT_FALSE(ids.contains(id.captured(1).toLatin1())) << "each document its own";
        ids += id.captured(1).toLatin1();
    }
}
