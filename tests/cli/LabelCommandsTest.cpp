// Label files from the command line: `label --check` says what a file
// holds, or the one thing wrong with it and exit 1; `export --label`
// writes the whole label as PNG, SVG and PDF; `print-range --label` puts
// each number in its own cell of the sheets, or prints nothing when one
// label can't be laid out.
#include "labels/LabelFile.h"
#include "labels/LabelLayout.h"
#include "tests/labels/SampleLabel.h"
#include "tests/support/Files.h"
#include "tests/support/LabelPage.h"
#include "tests/support/Pages.h"
#include "tests/support/UnattendedRun.h"

#include <QDir>
#include <QImage>

namespace {

struct LabelCommands : ::testing::Test, testsupport::UnattendedRun {
    QString SampleFile()
    {
        const QString path = work.filePath(QStringLiteral("shelf.json"));
        EXPECT_TRUE(labels::SaveLabel(testsupport::SampleLabel(), path).ok());
        return path;
    }
};

QByteArray WithParts(const QByteArray& parts)
{
    return R"({"version": 1, "unit": "mm", "widthMm": 100, "heightMm": 60, "parts": [)" + parts + "]}";
}

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

TEST_F(LabelCommands, Check_SaysWhatAFileHolds_OrTheOneThingWrongWithIt)
{
    const testsupport::ProgramRun good = quorvane({QStringLiteral("label"), QStringLiteral("--check"), SampleFile()});
    EXPECT_EQ(good.exitCode, 0) << good.err.toStdString();
    for (const char* said : {"Label 100 × 60 mm, 6 parts:", "  1 barcode at 5, 5 mm: Code 128 \"SKU-${#:%04d}\", module 0.33 mm",
                             "  6 box at 1, 1 mm: 98 × 58 mm", "and its 2 barcodes scan."})
        EXPECT_TRUE(good.out.contains(QString::fromUtf8(said))) << said << " in " << good.out.toStdString();

    struct Row {
        QByteArray json;
        const char* said;
        const char* why;
    };
    const QByteArray box = R"({"type": "box", "xMm": 1, "yMm": 1, "widthMm": 10, "heightMm": 10})";
    QByteArray manyParts = box;
    for (int i = 1; i < 10000; ++i)
        manyParts += ',' + box;
    const Row rows[] = {
        {"label: 100 x 60", "is not a label file", "not JSON"},
        {R"({"version": 2, "widthMm": 100, "heightMm": 60, "parts": []})", "version 2", "a later program's file"},
        {WithParts(R"({"type": "circle", "xMm": 1, "yMm": 1})"), "\"circle\"", "an unknown part type"},
        {R"({"version": 1, "widthMm": NaN, "heightMm": 60, "parts": []})", "illegal number", "NaN"},
        {WithParts(R"({"type": "box", "xMm": 1, "yMm": 1, "widthMm": -10, "heightMm": 5})"), "field \"widthMm\"", "a negative size"},
        {WithParts(R"({"type": "box", "xMm": 90, "yMm": 1, "widthMm": 20, "heightMm": 5})"), "outside the label", "a part off the label"},
        {WithParts(R"({"type": "text", "xMm": 5, "yMm": 5, "text": ")" + QByteArray(10 << 20, 'x') + "\"}"),
         "larger than 1048576 bytes", "10 MB of text"},
        {WithParts(manyParts), "10000 parts", "10,000 parts"},
        {WithParts(R"({"type": "text", "xMm": 5, "yMm": 5, "text": "Far too long a text for ten mm", "boxWidthMm": 10})"),
         "Part 1 (text): the text \"Far too long a text for ten mm\" does not fit its box", "a text refused below its minimum size"},
    };
    const QString bad = work.filePath(QStringLiteral("bad.json"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        writeFile(QStringLiteral("bad.json"), row.json);
        const testsupport::ProgramRun r = quorvane({QStringLiteral("label"), QStringLiteral("--check"), bad});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << "one message: " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.said))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(bad)) << "names the file: " << r.err.toStdString();
    }
}

TEST_F(LabelCommands, Export_PngSvgAndPdf_TheWholeLabelAsTheFilePlacesIt)
{
    const QString file = SampleFile();
    const std::vector<std::string> codes{"SKU-0001", "https://example.com/p/1"};
    for (const char* name : {"label.png", "label.svg", "label.pdf"}) {
        SCOPED_TRACE(name);
        const QString out = work.filePath(QString::fromLatin1(name));
        const testsupport::ProgramRun r =
            quorvane({QStringLiteral("export"), QStringLiteral("--label"), file, QStringLiteral("--output"), out, QStringLiteral("--verify")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
    const QImage png(work.filePath(QStringLiteral("label.png")));
    EXPECT_EQ(png.size(), QSize(1181, 709)) << "100 × 60 mm at 300 dpi, nothing added around it";
    std::vector<std::string> read;
    for (const testsupport::Decoded& d : testsupport::DecodeAll(testsupport::WithQuietZone(png)))
        read.push_back(d.text);
    EXPECT_EQ(Sorted(read), Sorted(codes));

    const QByteArray svg = testsupport::Read(work.filePath(QStringLiteral("label.svg")));
    // Its unit is the label's dots at 300 dpi, its size theirs in mm.
    EXPECT_TRUE(svg.contains(R"(width="99.991mm" height="60.029mm" viewBox="0 0 1181 709")")) << svg.left(400).toStdString();

    const QString pdf = work.filePath(QStringLiteral("label.pdf"));
    EXPECT_TRUE(testsupport::PdfText(pdf).contains(QStringLiteral("A product name rather too long for its box")));
    const std::vector<QImage> pages = testsupport::RenderPdf(pdf, 300);
    ASSERT_EQ(pages.size(), 1u);
    labels::FillContext fill;
    fill.run = 1;
    fill.today = QDate::currentDate();
    const core::Result<labels::LaidOutLabel> laid = labels::LayOutLabel(testsupport::SampleLabel(), fill, 300);
    ASSERT_TRUE(laid.ok());
    testsupport::ExpectLabelWhereTheFilePlacesIt(pages[0], {300, QPointF(0, 0)}, testsupport::SampleLabel(), *laid, codes);
}

TEST_F(LabelCommands, PrintRange_EachNumberInItsCell_OrNothingWhenALabelCantBeLaidOut)
{
    Store("pdfdpi", QStringLiteral("300"));
    // The text's box takes "Lot 999" at its minimum size, not "Lot 1000";
    // "Lot 7" only smaller than it is set.
    const QString file = writeFile(QStringLiteral("lot.json"), R"({"version": 1, "widthMm": 60, "heightMm": 35, "parts": [
        {"type": "barcode", "xMm": 6, "yMm": 3, "symbology": "code128", "text": "LOT-${n}", "moduleMm": 0.33, "heightMm": 12},
        {"type": "text", "xMm": 6, "yMm": 20, "text": "Lot ${n}", "sizePt": 10, "boxWidthMm": 8.7}]})");
    const QStringList args{QStringLiteral("print-range"), QStringLiteral("--label"), file, QStringLiteral("--layout"),
                           QStringLiteral("L7160"), QStringLiteral("--printer"), QStringLiteral("Print to PDF file")};
    const testsupport::ProgramRun printed = quorvane(args + QStringList{"--from", "7", "--to", "10"});
    ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    const QStringList pdfs = testsupport::Entries(pdfDir);
    ASSERT_EQ(pdfs.size(), 1);
    const std::vector<QImage> pages = testsupport::RenderPdf(QDir(pdfDir).filePath(pdfs[0]), 200);
    ASSERT_EQ(pages.size(), 1u);
    std::vector<testsupport::Decoded> found = testsupport::DecodeAll(pages[0], ZXing::BarcodeFormat::Code128);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.left < b.left; });
    ASSERT_EQ(found.size(), 3u);
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].text, "LOT-" + std::to_string(7 + i));
        EXPECT_NEAR(found[i].top, found[0].top, 3) << "the first row's cells";
    }
    EXPECT_TRUE(testsupport::PdfText(QDir(pdfDir).filePath(pdfs[0])).contains(QStringLiteral("Lot 9")));

    QDir(pdfDir).removeRecursively();
    QDir().mkpath(pdfDir);
    const testsupport::ProgramRun refused = quorvane(args + QStringList{"--from", "998", "--to", "1002"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("The label \"lot.json, number 1000\" was not printed: Part 2 (text): the "
                                                    "text \"Lot 1000\" does not fit its box of 8.7 mm")))
        << refused.err.toStdString();
    EXPECT_TRUE(testsupport::Entries(pdfDir).isEmpty()) << "a sheet goes out whole or not at all";
    EXPECT_TRUE(refused.out.isEmpty());
}
