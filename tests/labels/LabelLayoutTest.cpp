// A label laid out for a printer's dots and painted: both codes read back
// with two readers at 203 and 300 dpi, every part where the file places
// it, nothing off the label, text shrunk into its box or refused, and the
// failures that name the part.
#include "files/PdfDocument.h"
#include "labels/LabelLayout.h"
#include "tests/labels/SampleLabel.h"
#include "symbols/SymbologyTable.h"
#include "tests/support/Golden.h"
#include "tests/support/Decode.h"
#include "tests/support/Pages.h"

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace labels;

namespace {

constexpr int kMargin = 20; // white around the label, where nothing may be drawn

FillContext Record7()
{
    FillContext c;
    c.record = 7;
    c.today = QDate(2026, 1, 15);
    return c;
}

QImage Paint(const LaidOutLabel& label)
{
    QImage image(label.sizeDots + QSize(2 * kMargin, 2 * kMargin), QImage::Format_Grayscale8);
    const int perMeter = static_cast<int>(std::lround(label.dpi / 0.0254));
    image.setDotsPerMeterX(perMeter);
    image.setDotsPerMeterY(perMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintLabel(label, painter, QPointF(kMargin, kMargin), graphics::DeviceGrid(label.dpi, label.dpi));
    return image;
}

// The dark pixels' bounds, from the label's corner.
QRect Ink(const QImage& image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (row[x] < 128)
                r |= QRect(x - kMargin, y - kMargin, 1, 1);
    }
    return r;
}

QRectF Dots(const QRectF& mm, double dpi)
{
    return QRectF(MmToDots(mm.x(), dpi), MmToDots(mm.y(), dpi), MmToDots(mm.width(), dpi), MmToDots(mm.height(), dpi));
}

bool Near(double a, double b) { return std::abs(a - b) <= 1; }

} // namespace

TEST(LabelLayout, PaintedAt203And300Dpi_CodesReadAndPartsWhereTheFilePlacesThem)
{
    const Label file = testsupport::SampleLabel();
    for (const double dpi : {203.0, 300.0}) {
        SCOPED_TRACE(dpi);
        const core::Result<LaidOutLabel> laid = LayOutLabel(file, Record7(), dpi);
        ASSERT_TRUE(laid.ok()) << laid.failure().text.toStdString();
        const QImage page = Paint(*laid);
        EXPECT_TRUE(QRect(QPoint(0, 0), laid->sizeDots).contains(Ink(page))) << "nothing off the label";

        std::vector<std::string> read;
        for (const testsupport::Decoded& d : testsupport::DecodeAll(page))
            read.push_back(d.text);
        EXPECT_EQ(read, (std::vector<std::string>{"SKU-0007", "https://example.com/p/7"}));
        const std::vector<std::string> zbar = testsupport::ZbarDecodeAll(page);
        EXPECT_NE(std::find(zbar.begin(), zbar.end(), "SKU-0007"), zbar.end());
        const QRect qr = laid->parts[1].box.translated(kMargin, kMargin);
        EXPECT_EQ(testsupport::ZbarReadOne(testsupport::WithQuietZone(page.copy(qr))), "https://example.com/p/7");

        for (const LaidOutPart& part : laid->parts) {
            SCOPED_TRACE(part.number);
            const Part& placed = file.parts[static_cast<size_t>(part.number - 1)];
            LaidOutLabel alone = *laid;
            alone.parts = {part};
            const QRect ink = Ink(Paint(alone));
            const QPointF at = Dots(QRectF(placed.atMm, QSizeF()), dpi).topLeft();
            EXPECT_TRUE(Near(part.box.x(), at.x()) && Near(part.box.y(), at.y()));
            EXPECT_TRUE(part.box.adjusted(-1, -1, 1, 1).contains(ink)) << "the ink within the part's box";
            if (std::holds_alternative<BarcodePart>(placed.what)) {
                EXPECT_TRUE(Near(ink.x(), at.x()) && Near(ink.y(), at.y())) << "the symbol at its place";
                const int module = static_cast<int>(std::lround(MmToDots(*std::get<BarcodePart>(placed.what).moduleMm, dpi)));
                EXPECT_EQ(part.drawing.module, module);
                const int origin = static_cast<int>(std::lround(part.drawing.moduleOrigin));
                for (const graphics::DrawOp& op : part.drawing.Ops())
                    if (op.kind == graphics::DrawOp::Kind::Fill && ((op.box.x() - origin) % module || op.box.width() % module))
                        ADD_FAILURE() << "a bar off the module grid at " << op.box.x();
            }
            if (std::holds_alternative<BoxPart>(placed.what)) {
                const QRectF frame = Dots(KnownExtentMm(placed), dpi);
                EXPECT_TRUE(Near(ink.left(), frame.left()) && Near(ink.top(), frame.top()) &&
                            Near(ink.right() + 1, frame.right()) && Near(ink.bottom() + 1, frame.bottom()));
            }
        }
    }
}

TEST(LabelLayout, BarcodeSizesInMm_KeptOnWholeDots)
{
    struct Row {
        std::optional<double> moduleMm, widthMm, heightMm;
        bool caption;
        const char* why;
    };
    const Row rows[] = {
        {0.25, {}, 10, false, "a module in mm: the nearest whole dots, the height as asked"},
        {0.25, {}, 10, true, "with a caption: the bars take what the caption leaves of the height"},
        {{}, 40, 8, true, "stretched: the most whole dots a module within 40 mm"},
        {0.25, {}, {}, true, "no height: the symbology's own proportion"},
    };
    for (const double dpi : {203.0, 300.0}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << row.why << " at " << dpi);
            BarcodePart b;
            b.symbology = symbols::Symbology::Code128;
            b.text = QStringLiteral("LOT-2026-0042");
            b.moduleMm = row.moduleMm;
            b.widthMm = row.widthMm;
            b.heightMm = row.heightMm;
            b.caption = row.caption;
            b.captionPoints = 9;
            const core::Result<LaidOutLabel> laid = LayOutLabel(OneBarcodeLabel(b, QSizeF(60, 30), {5, 5}), {}, dpi);
            ASSERT_TRUE(laid.ok()) << laid.failure().text.toStdString();
            const LaidOutPart& part = laid->parts[0];
            const double module = part.drawing.module;
            if (row.moduleMm) {
                EXPECT_EQ(module, std::max(1L, std::lround(MmToDots(*row.moduleMm, dpi))));
            } else {
                EXPECT_TRUE(part.box.width() <= MmToDots(*row.widthMm, dpi) + 1 &&
                            part.box.width() / module * (module + 1) > MmToDots(*row.widthMm, dpi)) << part.box.width();
            }
            if (row.heightMm) {
                EXPECT_TRUE(Near(part.box.height(), MmToDots(*row.heightMm, dpi))) << part.box.height();
            }
            for (const graphics::DrawOp& op : part.drawing.Ops()) {
                if (op.kind == graphics::DrawOp::Kind::Text) {
                    EXPECT_NEAR(op.text->pixelSize, 9 * dpi / 72, 0.01) << "the caption at 9 pt";
                }
            }
            const QImage page = Paint(*laid);
            EXPECT_EQ(testsupport::DecodeOne(page).text, "LOT-2026-0042");
        }
    }
}

// A run keeps what one record's barcode found for the next; each label must
// still be exactly the label laid out alone, whatever the texts' lengths
// (the module changing between records, a caption wider than its bars).
TEST(LabelLayout, ARunsMemo_LaysOutEveryRecordAsAlone)
{
    struct Row {
        symbols::Symbology symbology;
        std::optional<double> moduleMm, widthMm;
        double points;
        std::vector<const char*> texts;
    };
    // Twenty letters and forty digits make bars of one width; the digits'
    // caption is the wider, wider than its bars at the symbology's size.
    const std::vector<const char*> skus = {"SKU000001", "SKU000002", "SKU1", "12345678901234567890", "SKU000003",
                                           "A-much-longer-stock-keeping-unit-42", "SKU000004", "SKU000005",
                                           "ABCDEFGHIJKLMNOPQRST", "1234567890123456789012345678901234567890"};
    const Row rows[] = {
        {symbols::Symbology::Code128, {}, 40, 9, skus},
        {symbols::Symbology::Code128, 0.25, {}, 6, skus},
        {symbols::Symbology::Code128, {}, 60, 14, skus},
        {symbols::Symbology::Code128, {}, 133, 6, skus},
        {symbols::Symbology::Gs1_128, {}, 50, 8, {"(01)09501101530003", "(01)09501101530010", "(10)ABC123", "(01)09501101530003"}},
        {symbols::Symbology::RetailEan13, {}, 40, 9, {"590123412345", "400638133393", "590123412345"}},
    };
    for (const double dpi : {203.0, 300.0}) {
        for (const Row& row : rows) {
            LayoutMemo memo;
            for (const char* text : row.texts) {
                SCOPED_TRACE(testing::Message() << symbols::RowOf(row.symbology).name << " " << text << " at " << dpi);
                BarcodePart b;
                b.symbology = row.symbology;
                b.text = QString::fromLatin1(text);
                b.moduleMm = row.moduleMm;
                b.widthMm = row.widthMm;
                b.caption = true;
                b.captionPoints = row.points;
                const core::Result<PreparedLabel> label = PrepareLabel(OneBarcodeLabel(b, QSizeF(140, 40), {2, 2}));
                ASSERT_TRUE(label.ok());
                const core::Result<LaidOutLabel> alone = LayOutLabel(*label, {}, dpi);
                const core::Result<LaidOutLabel> inRun = LayOutLabel(*label, {}, dpi, &memo);
                ASSERT_EQ(alone.ok(), inRun.ok());
                if (!alone.ok()) {
                    EXPECT_EQ(alone.failure().text, inRun.failure().text);
                    continue;
                }
                EXPECT_EQ(inRun->parts[0].box, alone->parts[0].box);
                EXPECT_EQ(testsupport::SerializeDrawing(inRun->parts[0].drawing),
                          testsupport::SerializeDrawing(alone->parts[0].drawing));
            }
            if (row.symbology == symbols::Symbology::Code128) {
                EXPECT_TRUE(memo.barcodes.at(0).has_value()) << "a run of Code 128 keeps its caption's size";
            }
        }
    }
}

TEST(LabelLayout, TextInABox_ShrunkToFitAlignedOrRefusedNamingThePart)
{
    struct Row {
        const char* text;
        double boxMm;
        Align align;
        enum { Fits, Shrunk, Refused } outcome;
        const char* why;
    };
    const Row rows[] = {
        {"Short", 40, Align::Right, Row::Fits, "room to spare: 10 pt, against the box's right edge"},
        {"Short", 40, Align::Centre, Row::Fits, "room to spare: centred"},
        {"A product name rather too long for its box", 60, Align::Left, Row::Shrunk, "set smaller, above 6 pt"},
        {"A product name far too long for a box of twenty millimetres", 20, Align::Left, Row::Refused, "not even 6 pt fits"},
    };
    const double dpi = 300;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        TextPart text;
        text.text = QString::fromUtf8(row.text);
        text.boxWidthMm = row.boxMm;
        text.align = row.align;
        BoxPart frame;
        frame.sizeMm = QSizeF(10, 10);
        const Label label{QSizeF(100, 30), LengthUnit::Mm, {Part{{0, 0}, frame}, Part{{5, 10}, text}}};
        const core::Result<LaidOutLabel> laid = LayOutLabel(label, {}, dpi);
        if (row.outcome == Row::Refused) {
            ASSERT_TRUE(laid.failed());
            EXPECT_EQ(laid.failure().code, core::kTextDoesNotFit);
            EXPECT_EQ(laid.failure().where.field, QStringLiteral("parts[2].text"));
            for (const char* said : {"Part 2 (text)", "box of 20.0 mm", "minimum size of 6 pt"})
                EXPECT_TRUE(laid.failure().text.contains(QLatin1String(said))) << laid.failure().text.toStdString();
            continue;
        }
        ASSERT_TRUE(laid.ok()) << laid.failure().text.toStdString();
        const LaidOutPart& part = laid->parts[1];
        const graphics::DrawOp& op = part.drawing.Ops().at(0);
        const double box = part.box.width(), advance = op.text->advance;
        EXPECT_TRUE(Near(box, MmToDots(row.boxMm, dpi)));
        EXPECT_LE(advance, box);
        if (row.outcome == Row::Fits)
            EXPECT_EQ(part.points, 10);
        else
            EXPECT_TRUE(part.points >= 6 && part.points < 10) << part.points;
        const double free = box - advance;
        EXPECT_NEAR(op.baseline.x(), row.align == Align::Right ? free : row.align == Align::Centre ? free / 2 : 0, 0.01);
    }
}

TEST(LabelLayout, PartsThatCantBeLaidOut_NameThePartAndWhy)
{
    auto barcode = [](symbols::Symbology s, const char* text, double moduleMm) {
        BarcodePart b;
        b.symbology = s;
        b.text = QString::fromUtf8(text);
        b.moduleMm = moduleMm;
        return b;
    };
    using S = symbols::Symbology;
    BarcodePart lowCaption = barcode(S::Code128, "A1", 0.33);
    lowCaption.caption = true;
    lowCaption.heightMm = 2;
    BarcodePart narrow = barcode(S::Code128, "ABCDEFGHIJKLMNOP", 0.33);
    narrow.moduleMm.reset();
    narrow.widthMm = 5;
    BarcodePart tallQr = barcode(S::Qr, "A1", 0.5);
    tallQr.heightMm = 20;
    TextPart twoLines;
    twoLines.text = QStringLiteral("${sku}");
    struct Row {
        Part part;
        int code;
        std::vector<const char*> said;
        const char* why;
    };
    const Row rows[] = {
        {{{5, 5}, barcode(S::RetailEan13, "12", 0.33)}, core::kPartNotDrawn, {"Part 1 (barcode), record 3", "\"12\" can't be drawn as EAN-13"}, "the symbology's reason"},
        {{{5, 5}, barcode(S::Code128, "${lot}", 0.33)}, core::kBadPlaceholder, {"no field \"lot\"", "the only field is \"sku\""}, "a field the record lacks"},
        {{{50, 5}, barcode(S::Code128, "ABCDEFGHIJKLMNOP", 1)}, core::kOutsideLabel, {"past the label's width of 100.0 mm"}, "a module too wide for the room left"},
        {{{5, 5}, lowCaption}, core::kOutsideLabel, {"height of 2.0 mm leaves no room for its bars"}, "all caption"},
        {{{5, 5}, narrow}, core::kOutsideLabel, {"more than its width of 5.0 mm"}, "a width under a dot a module"},
        {{{5, 5}, tallQr}, core::kPartNotDrawn, {"QR Code barcode follows its module", "\"heightMm\""}, "a 2D code's height"},
        {{{5, 5}, twoLines}, core::kTextDoesNotFit, {"Part 1 (text)", "line break"}, "a field's line break is never printed over the next line"},
    };
    const QStringList names{"sku"}, values{"line one\nline two"};
    FillContext c = Record7();
    c.record = 3;
    c.fieldNames = names;
    c.fieldValues = values;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const core::Result<LaidOutLabel> laid = LayOutLabel(Label{QSizeF(100, 30), LengthUnit::Mm, {row.part}}, c, 203);
        ASSERT_TRUE(laid.failed());
        EXPECT_EQ(laid.failure().code, row.code);
        EXPECT_EQ(laid.failure().where.record, 3);
        for (const char* said : row.said)
            EXPECT_TRUE(laid.failure().text.contains(QString::fromUtf8(said))) << laid.failure().text.toStdString();
    }
}

// An editor lays out each part alone: every part that can be drawn comes
// out exactly as in the whole label, and one that can't says why under its
// own number (the label as a whole stops at it).
TEST(LabelLayout, PartsLaidOutAlone_AsInTheLabel_AFailingOneNamedByItsNumber)
{
    Label label = testsupport::SampleLabel();
    const core::Result<LaidOutLabel> whole = LayOutLabel(label, Record7(), 203);
    ASSERT_TRUE(whole.ok()) << whole.failure().text.toStdString();
    for (size_t i = 0; i < label.parts.size(); ++i) {
        const core::Result<LaidOutPart> alone = LayOutPart(label, i, Record7(), 203);
        ASSERT_TRUE(alone.ok()) << alone.failure().text.toStdString();
        EXPECT_EQ(alone->box, whole->parts[i].box) << "part " << i + 1;
        EXPECT_EQ(alone->number, static_cast<int>(i + 1));
    }
    std::get<TextPart>(label.parts[3].what).minPoints = 10; // the long name no longer fits its box
    label.parts[1].atMm.rx() = 90;                          // the QR Code runs past the right edge
    EXPECT_TRUE(LayOutLabel(label, Record7(), 203).failure().text.startsWith(QStringLiteral("Part 2 (barcode)")));
    const core::Result<LaidOutPart> past = LayOutPart(label, 1, Record7(), 203);
    const core::Result<LaidOutPart> tooLong = LayOutPart(label, 3, Record7(), 203);
    ASSERT_TRUE(past.failed() && tooLong.failed());
    EXPECT_TRUE(past.failure().text.startsWith(QStringLiteral("Part 2 (barcode): the part does not lie inside")));
    EXPECT_TRUE(tooLong.failure().text.startsWith(QStringLiteral("Part 4 (text): the text")));
    EXPECT_TRUE(LayOutPart(label, 2, Record7(), 203).ok()) << "the parts between still lay out";
}

// On a PDF page (1200 units an inch, shapes on a 300-dpi grid) the text
// stays text a reader can search, and the codes read from the page.
TEST(LabelLayout, PaintedIntoAPdf_TextStaysTextAndCodesRead)
{
    const core::Result<LaidOutLabel> laid = LayOutLabel(testsupport::SampleLabel(), Record7(), 300);
    ASSERT_TRUE(laid.ok());
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("label.pdf"));
    {
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        files::PdfDocument doc(&file, QPageLayout(QPageSize(laid->sizeMm, QPageSize::Millimeter), QPageLayout::Portrait, {}),
                               files::kPdfResolution);
        QPainter painter(&doc);
        PaintLabel(*laid, painter, {}, graphics::DeviceGrid(files::kPdfResolution, 300));
        ASSERT_TRUE(painter.end());
    }
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* line : {"SKU-0007", "Best before 14.02.2026", "A product name rather too long for its box", "€ 12.50"})
        EXPECT_TRUE(words.contains(QString::fromUtf8(line))) << line << " in " << words.toStdString();
    const std::vector<QImage> pages = testsupport::RenderPdf(pdf, 300);
    ASSERT_EQ(pages.size(), 1u);
    std::vector<std::string> read;
    for (const testsupport::Decoded& d : testsupport::DecodeAll(testsupport::WithQuietZone(pages[0])))
        read.push_back(d.text);
    EXPECT_EQ(read, (std::vector<std::string>{"SKU-0007", "https://example.com/p/7"}));
}
