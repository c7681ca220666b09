// Saved barcodes: every symbology's file reads back in every format, PNG
// modules land on whole pixels, a file is whole or absent and never
// written through a link, and a batch names one file per line.
#include "files/BatchExport.h"
#include "files/Export.h"
#include "tests/support/Decode.h"
#include "tests/support/Files.h"
#include "tests/support/Pages.h"
#include "tests/support/Symbols.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using ScanSymbology = symbols::Symbology;
using testsupport::DrawSymbol;

using testsupport::Entries;
using testsupport::Read;

namespace {

struct Symbol {
    ScanSymbology symbology;
    const char* text;
    ZXing::BarcodeFormat format;
    const char* read; // what a reader gets back (check digits, the 0 of an odd Code 2/5)
};

const Symbol kSymbols[] = {
    {ScanSymbology::Code128B, "Label 2", ZXing::BarcodeFormat::Code128, "Label 2"},
    {ScanSymbology::Code39, "QV-0001", ZXing::BarcodeFormat::Code39, "QV-0001"},
    {ScanSymbology::Code128_1, "a~Z 9", ZXing::BarcodeFormat::Code128, "a~Z 9"},
    {ScanSymbology::Code25, "12345", ZXing::BarcodeFormat::ITF, "123450"},
    {ScanSymbology::Codabar, "12-34$", ZXing::BarcodeFormat::Codabar, "12-34$"},
    {ScanSymbology::UpcA, "03600029145", ZXing::BarcodeFormat::UPCA, "036000291452"},
    {ScanSymbology::Ean, "400638133393", ZXing::BarcodeFormat::EAN13, "4006381333931"},
    {ScanSymbology::Ean, "1234567", ZXing::BarcodeFormat::EAN8, "12345670"},
};

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The file as a reader sees it: PNG as it is, SVG rasterised by librsvg
// at three pixels per unit, PDF by poppler at 300 dpi.
QImage ReadBack(const QString& path)
{
    if (path.endsWith(QLatin1String(".png")))
        return QImage(path);
    if (path.endsWith(QLatin1String(".pdf"))) {
        const auto pages = testsupport::RenderPdf(path, 300);
        return pages.size() == 1 ? pages[0] : QImage();
    }
    const QString png = path + QStringLiteral(".png");
    QProcess::execute(QStringLiteral("rsvg-convert"), {QStringLiteral("-z"), QStringLiteral("3"), path, QStringLiteral("-o"), png});
    return QImage(png);
}

// Lengths of the runs of dark and light pixels along a row, from the
// first dark pixel to the last one.
std::vector<int> Runs(const QImage& image, int y, int& left, int& right)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const uchar* row = grey.constScanLine(y);
    auto dark = [&](int x) { return row[x] < 128; };
    left = 0;
    while (left < grey.width() && !dark(left))
        ++left;
    right = grey.width();
    while (right > left && !dark(right - 1))
        --right;
    std::vector<int> runs;
    for (int x = left; x < right;) {
        int n = 0;
        for (const bool d = dark(x); x < right && dark(x) == d; ++x)
            ++n;
        runs.push_back(n);
    }
    return runs;
}

} // namespace

TEST(Export, EverySymbologyInEveryFormat_ReadsBackWithoutAddedMargins)
{
    QTemporaryDir dir;
    for (const Symbol& s : kSymbols) {
        for (bool withText : {false, true}) {
            const graphics::Drawing drawing = DrawSymbol(s.symbology, QString::fromLatin1(s.text), withText);
            for (const char* ext : {"png", "svg", "pdf"}) {
                SCOPED_TRACE(std::string(s.text) + (withText ? " with text, " : ", ") + ext);
                const QString path = dir.filePath(QStringLiteral("%1-%2.%3").arg(QString::fromLatin1(s.read)).arg(withText).arg(ext));
                const core::Status exported = files::ExportDrawing(drawing, path);
                ASSERT_TRUE(exported.ok()) << exported.failure().text.toStdString();
                EXPECT_EQ(testsupport::DecodeOne(ReadBack(path), s.format).text, s.read);
            }
        }
    }
}

TEST(Export, Png_EveryModuleOnTheSameWholeNumberOfPixels)
{
    struct Case {
        ScanSymbology symbology;
        const char* text;
        int dpi, moduleDots;
        int pixelsPerModule;
        const char* why;
    };
    const Case cases[] = {
        {ScanSymbology::Code128B, "Label 2", 300, 0, 3, "a 1/96-inch module is 3.125 pixels at 300 dpi: 3"},
        {ScanSymbology::Code128B, "Label 2", 203, 0, 2, "2.11 pixels at 203 dpi: 2"},
        {ScanSymbology::Code128B, "Label 2", 300, 4, 4, "--module-dots 4 whatever the dpi"},
        {ScanSymbology::Code128B, "Label 2", 72, 0, 1, "at least one pixel"},
        {ScanSymbology::Ean, "400638133393", 300, 0, 6, "EAN's 2-pixel module is 6.25 pixels at 300 dpi: 6"},
        {ScanSymbology::UpcA, "03600029145", 600, 0, 6, "UPC-A's 15-twip module at 600 dpi"},
        {ScanSymbology::Code25, "123456", 300, 1, 1, "one pixel per module when asked"},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const graphics::Drawing d = DrawSymbol(c.symbology, QString::fromLatin1(c.text), true);
        const QString path = dir.filePath(QStringLiteral("code.png"));
        ASSERT_TRUE(files::ExportDrawing(d, path, {c.dpi, c.moduleDots}).ok());
        const QImage png(path);
        ASSERT_FALSE(png.isNull());
        EXPECT_EQ(png.depth(), 1) << "black and white, one bit per pixel";
        EXPECT_EQ(png.size(), graphics::RasterImage(d, {c.dpi, c.moduleDots}).size());
        EXPECT_EQ(png.dotsPerMeterX(), qRound(c.dpi / 0.0254)) << "the file says its resolution";
        // The row through the most bars: through the data, not only the guards.
        int left = 0, right = 0;
        std::vector<int> runs;
        for (int y = 0; y < png.height(); ++y) {
            int l = 0, r = 0;
            if (std::vector<int> row = Runs(png, y, l, r); row.size() > runs.size())
                runs = row, left = l, right = r;
        }
        ASSERT_GT(runs.size(), 20u);
        for (int run : runs)
            ASSERT_EQ(run % c.pixelsPerModule, 0) << "a run of " << run << " pixels";
        EXPECT_GE(left, 10 * c.pixelsPerModule) << "quiet zone on the left";
        EXPECT_GE(png.width() - right, 10 * c.pixelsPerModule) << "quiet zone on the right";
    }
}

TEST(Export, Svg_WholeUnitBoxesAndAnyTextAsWellFormedXml)
{
    // The pattern renderer prints the text as typed, characters the bars
    // leave out included: markup, a control character, a byte of a name
    // that is not UTF-8.
    const QString text = QStringLiteral("a<b>&\"c") + QChar(1) + QChar(0xDC80);
    const QByteArray svg = files::ExportSvg(DrawSymbol(ScanSymbology::Code128_1, text, true));
    QXmlStreamReader xml(svg);
    QString printed;
    int paths = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("text"))
            printed = xml.readElementText();
        if (xml.name() == QLatin1String("path")) {
            ++paths;
            const QString d = xml.attributes().value(QLatin1String("d")).toString();
            EXPECT_FALSE(d.contains(QLatin1Char('.'))) << "every edge on a whole unit: " << d.left(80).toStdString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(paths, 1) << "the bars are one path";
    EXPECT_EQ(printed, QStringLiteral("a<b>&\"c\uFFFD\uFFFD"));
}

// Every kind of shape, in every attribute the writer can set, byte for
// byte: runs of one colour as one path, numbers whole or to a thousandth,
// colours as #rrggbb, text escaped.
TEST(Export, Svg_EveryKindOfShape_WrittenExactly)
{
    graphics::Drawing d;
    d.size = QSize(40, 20);
    d.AddFill(QRect(0, 0, 2, 20), graphics::kBlack);
    d.AddFill(QRect(3, 0, 1, 20), graphics::kBlack);
    d.AddFill(QRect(5, 2, 3, 4), 0x0080FF); // BGR: orange
    d.AddLine(QLineF(1.25, 2, 30, 2.0004), 1.5, 0x00FF00);
    auto text = std::make_shared<graphics::DrawText>();
    text->font.setFamily(QStringLiteral("A&B"));
    text->font.setBold(true);
    text->font.setItalic(true);
    text->font.setUnderline(true);
    text->pixelSize = 10.5;
    text->spacing = 0.125;
    text->rotation = 90;
    text->text = QStringLiteral("x<1>");
    graphics::DrawOp op;
    op.baseline = QPointF(2, 18.3336);
    op.text = text;
    d.AddText(op);
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::black);
    d.AddImage(dot, QPoint(4, 5));
    d.AddFill(QRect(6, 0, 1, 20), graphics::kBlack);
    // The picture's PNG bytes are Qt's to choose: only where they go is checked.
    QByteArray svg = files::ExportSvg(d);
    const qsizetype png = svg.indexOf("base64,") + 7;
    svg.remove(png, svg.indexOf('"', png) - png);
    EXPECT_EQ(svg.toStdString(), R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" version="1.1" width="60" height="20" viewBox="0 0 60 20" shape-rendering="crispEdges">
<rect width="60" height="20" fill="#ffffff"/>
<path fill="#000000" d="M10 0h2v20h-2zM13 0h1v20h-1z"/>
<path fill="#ff8000" d="M15 2h3v4h-3z"/>
<line x1="11.25" y1="2" x2="40" y2="2" stroke="#00ff00" stroke-width="1.5" stroke-linecap="square"/>
<text x="12" y="18.334" font-family="A&amp;B, sans-serif" font-size="10.5" font-weight="bold" font-style="italic" text-decoration="underline" letter-spacing="0.125" transform="rotate(-90 12 18.334)" fill="#000000" xml:space="preserve">x&lt;1&gt;</text>
<image x="14" y="5" width="1" height="1" preserveAspectRatio="none" xlink:href="data:image/png;base64,"/>
<path fill="#000000" d="M16 0h1v20h-1z"/>
</svg>
)svg");
}

TEST(Export, ATargetThatIsASymlink_IsReplacedItself_WhatItPointsToIsKept)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("victim.txt"));
    Write(victim, "keep me");
    const QString target = dir.filePath(QStringLiteral("code.svg"));
    ASSERT_TRUE(QFile::link(victim, target));
    ASSERT_TRUE(files::ExportDrawing(DrawSymbol(ScanSymbology::Code39, QStringLiteral("A1"), true), target).ok());
    EXPECT_EQ(Read(victim), "keep me");
    EXPECT_TRUE(QFileInfo(target).isFile() && !QFileInfo(target).isSymLink());
    EXPECT_TRUE(Read(target).contains("<svg"));
    EXPECT_EQ(Entries(dir.path()), (QStringList{"code.svg", "victim.txt"}));
}

TEST(Export, AnExistingFile_IsReplacedWhole_AndKeepsItsPermissions)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("code.png"));
    Write(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0600), 0);
    ASSERT_TRUE(files::ExportDrawing(DrawSymbol(ScanSymbology::Code39, QStringLiteral("A1"), true), target).ok());
    EXPECT_FALSE(QImage(target).isNull());
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(Export, Failures_NameTheFileAndLeaveNothingBehind)
{
    struct Case {
        const char* why;
        const char* name; // in the folder
        int code;
        std::function<void(const QString& folder)> before;
        files::ExportOptions options;
        bool emptyDrawing;
        int textLength = 2; // of the Code 128 B symbol drawn
    };
    const Case cases[] = {
        {"a folder that does not exist", "missing/code.png", core::kCannotWrite, [](const QString&) {}, {}, false},
        {"a file where the folder should be", "file/code.png", core::kCannotWrite,
         [](const QString& f) { Write(f + "/file", "x"); }, {}, false},
        {"a folder of the target's name", "code.svg", core::kCannotWrite,
         [](const QString& f) { QDir(f).mkdir("code.svg"); }, {}, false},
        {"a name without a format", "code.jpg", core::kBadName, [](const QString&) {}, {}, false},
        {"nothing drawn", "code.png", core::kNothingToDraw, [](const QString&) {}, {}, true},
        {"a picture beyond 32767 pixels", "code.png", core::kTooLarge, [](const QString&) {}, {300, 600}, false},
        {"a PDF page past 200 inches", "code.pdf", core::kTooLarge, [](const QString&) {}, {}, false, 1900},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        QTemporaryDir dir;
        c.before(dir.path());
        const QStringList before = Entries(dir.path());
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        const graphics::Drawing d =
            c.emptyDrawing ? graphics::Drawing() : DrawSymbol(ScanSymbology::Code128B, QString(c.textLength, QLatin1Char('A')), false);
        const core::Status f = files::ExportDrawing(d, path, c.options);
        ASSERT_TRUE(f.failed());
        EXPECT_EQ(f.failure().code, c.code);
        EXPECT_TRUE(f.failure().text.contains(path)) << f.failure().text.toStdString();
        EXPECT_EQ(Entries(dir.path()), before);
    }
}

TEST(Export, AWriteThatFailsMidway_KeepsTheOldFileAndLeavesNoPart)
{
    QTemporaryDir dir;
    const graphics::Drawing d = DrawSymbol(ScanSymbology::Code128B, QStringLiteral("Label 2"), true);
    for (const char* name : {"code.png", "code.svg", "code.pdf"}) {
        SCOPED_TRACE(name);
        const QString target = dir.filePath(QString::fromLatin1(name));
        Write(target, "old");
        // Files may grow to 100 bytes: the next write fails as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 100;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const core::Status f = files::ExportDrawing(d, target);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_DFL);
        ASSERT_TRUE(f.failed());
        EXPECT_EQ(f.failure().code, core::kCannotWrite) << f.failure().text.toStdString();
        EXPECT_EQ(Read(target), "old");
        EXPECT_EQ(Entries(dir.path()).filter(QStringLiteral(".part")), QStringList());
    }
}

TEST(BatchExport, OneFilePerLine_NumberedAsTheTildesShow_EveryLineTried)
{
    QTemporaryDir dir;
    const QString lines = dir.filePath(QStringLiteral("lines.txt"));
    Write(lines, "A1\r\n\r\nB2\r\nbad\r\nC3\r\nD4");
    QDir(dir.path()).mkpath(QStringLiteral("out/code-00005.svg")); // a folder in line 5's way
    QStringList written;
    std::vector<qint64> failed, named;
    const auto draw = [](const QString& line) -> core::Result<graphics::Drawing> {
        if (line == QLatin1String("bad"))
            return core::Failure{core::kLineFailed, QStringLiteral("no barcode")};
        return DrawSymbol(ScanSymbology::Code39, line, true);
    };
    const files::BatchExportReport r = files::ExportBatch(
        lines, draw, dir.filePath(QStringLiteral("out/code-~~~~~.svg")), {},
        {[&](const QString& path) { written << QFileInfo(path).fileName(); },
         [&](qint64 line, const core::Failure&) { failed.push_back(line); }, [&](qint64 line) { named.push_back(line); }});
    EXPECT_EQ(written, (QStringList{"code-00001.svg", "code-00003.svg", "code-00006.svg"}))
        << "the empty line 2 gives no file; the lines after a failed one are still tried";
    EXPECT_EQ(failed, (std::vector<qint64>{4, 5}));
    EXPECT_EQ(named, (std::vector<qint64>{1, 3, 6}));
    EXPECT_EQ(Entries(dir.filePath(QStringLiteral("out"))),
              (QStringList{"code-00001.svg", "code-00003.svg", "code-00005.svg", "code-00006.svg"}));
    EXPECT_EQ(r.written, 3);
    ASSERT_TRUE(r.outcome.failed());
    EXPECT_EQ(r.outcome.failure().code, core::kLineFailed);
    EXPECT_TRUE(r.outcome.failure().text.endsWith(QStringLiteral("gave no barcode file: lines 4 and 5.")))
        << r.outcome.failure().text.toStdString();
    EXPECT_EQ(testsupport::DecodeOne(ReadBack(dir.filePath("out/code-00003.svg"))).text, "B2");
}

TEST(BatchExport, PatternsAndLimits)
{
    struct Case {
        const char* why;
        const char* pattern;
        int lines;
        int code; // 0: every line written
        int written;
    };
    const Case cases[] = {
        {"nine lines for one ~", "~.png", 9, 0, 9},
        {"the tenth line has no number: stop there", "~.png", 12, core::kTooManyLines, 9},
        {"no ~ in the file name", "codes.png", 1, core::kBadName, 0},
        {"a ~ in the folder only", "~x/codes.png", 1, core::kBadName, 0},
        {"no format", "~~.txt", 1, core::kBadName, 0},
        {"a folder that does not exist: stop at the first file", "missing/~~.png", 3, core::kCannotWrite, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("~x"));
        QByteArray text;
        for (int i = 1; i <= c.lines; ++i)
            text += "L" + QByteArray::number(i) + "\n";
        Write(dir.filePath(QStringLiteral("lines.txt")), text);
        const files::BatchExportReport r = files::ExportBatch(
            dir.filePath(QStringLiteral("lines.txt")),
            [](const QString& line) -> core::Result<graphics::Drawing> { return DrawSymbol(ScanSymbology::Code39, line, false); },
            dir.filePath(QString::fromLatin1(c.pattern)), {});
        EXPECT_EQ(r.outcome.failed() ? r.outcome.failure().code : 0, c.code)
            << (r.outcome.failed() ? r.outcome.failure().text.toStdString() : "");
        EXPECT_EQ(r.written, c.written);
    }
    EXPECT_EQ(files::BatchOutputPath(QStringLiteral("a~b/x~~~.svg"), 42), "a~b/x042.svg") << "the run in the file name";
}
