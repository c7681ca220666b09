// `quorvane labels` as a script runs it: a few hundred records on sheets,
// every cell read back (its barcode by two readers' kind, its text by
// pdftotext) as its record's, in order, with the copies and the start
// position asked for; bad records stop everything, or with --skip-bad only
// themselves; standard input; and a dry run that says what would print.
#include "jobs/StoredLayouts.h"
#include "tests/support/Decode.h"
#include "tests/support/Files.h"
#include "tests/support/LabelPage.h"
#include "tests/support/Pages.h"
#include "tests/support/UnattendedRun.h"

#include <QDir>
#include <QRegularExpression>
#include <map>

namespace {

constexpr int kDpi = 200;

struct LabelsCommand : ::testing::Test, testsupport::UnattendedRun {
    testsupport::ProgramRun Labels(const QStringList& args, const QByteArray& input = {})
    {
        testsupport::RunOptions o;
        o.args = QStringList{QStringLiteral("labels")} + args;
        o.workingDirectory = work.path();
        if (!input.isNull())
            o.whileRunning = [input](QProcess& p) {
                p.write(input);
                p.closeWriteChannel();
            };
        return run(o);
    }
};

// The words pdftotext finds on each page (from 0), with their middles in mm.
struct Word {
    int page = 0;
    QPointF mm;
    QString text;
};

std::vector<Word> PdfWords(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    std::vector<Word> words;
    int page = -1;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        const double pt = labels::kMmPerInch / 72;
        QString text = m.captured(5);
        text.replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&amp;"), QLatin1String("&"));
        words.push_back({page, QPointF((m.captured(1).toDouble() + m.captured(3).toDouble()) / 2 * pt,
                                       (m.captured(2).toDouble() + m.captured(4).toDouble()) / 2 * pt),
                         text});
    }
    return words;
}

// The words within `cellMm` of `page`, top to bottom and left to right, joined by blanks.
QString TextIn(const std::vector<Word>& words, int page, const QRectF& cellMm)
{
    std::vector<const Word*> in;
    for (const Word& w : words)
        if (w.page == page && cellMm.contains(w.mm))
            in.push_back(&w);
    std::sort(in.begin(), in.end(), [](const Word* a, const Word* b) {
        return std::abs(a->mm.y() - b->mm.y()) > 1 ? a->mm.y() < b->mm.y() : a->mm.x() < b->mm.x();
    });
    QStringList texts;
    for (const Word* w : in)
        texts << w->text;
    return texts.join(QLatin1Char(' '));
}

// The messages about records on stderr: "quorvane: items.csv:N: ...".
QStringList Findings(const QString& err)
{
    QStringList lines;
    for (const QString& line : err.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("quorvane: items.csv:")))
            lines << line;
    return lines;
}

QString Sku(int i) { return QStringLiteral("SKU-%1").arg(i, 5, 10, QLatin1Char('0')); }

} // namespace

TEST_F(LabelsCommand, AFewHundredRecordsOnSheets_EveryCellItsRecordInOrder_WithCopiesAndStart)
{
    // Names with a comma and quotes, as a CSV file quotes them; record i
    // asks for i % 3 copies (none for every third).
    QByteArray csv = "sku,name,qty\r\n";
    for (int i = 1; i <= 300; ++i)
        csv += QStringLiteral("%1,\"Nuts, \"\"salted\"\" %2\",%3\r\n").arg(Sku(i)).arg(i).arg(i % 3).toUtf8();
    writeFile(QStringLiteral("items.csv"), csv);
    const testsupport::ProgramRun r =
        Labels({"--barcode", "${sku}", "--text", "${name}", "--text", "Lot ${qty}", "--data", "items.csv", "--copies-field",
                "qty", "--layout", "L7160", "--start", "5", "--output", "sheets.pdf"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QString pdf = work.filePath(QStringLiteral("sheets.pdf"));

    std::vector<int> expected; // the record of each label, in order
    for (int i = 1; i <= 300; ++i)
        expected.insert(expected.end(), static_cast<size_t>(i % 3), i);
    const auto layout = jobs::FindLayout(QStringLiteral("L7160"));
    ASSERT_TRUE(layout.ok() && layout->has_value());
    const printing::SheetLayout& sheet = **layout;
    const std::vector<QImage> pages = testsupport::RenderPdf(pdf, kDpi);
    const std::vector<Word> words = PdfWords(pdf);
    const int start = 5, cells = sheet.LabelsPerSheet();
    ASSERT_EQ(pages.size(), size_t((start - 1 + expected.size() + cells - 1) / cells));
    const double px = kDpi / labels::kMmPerInch;
    for (int cell = 0; cell < static_cast<int>(pages.size()) * cells; ++cell) {
        const int label = cell - (start - 1);
        const int page = cell / cells;
        const QRectF mm(sheet.CellCornerMm(cell % cells), sheet.labelMm);
        const QImage picture = pages[static_cast<size_t>(page)].copy(
            QRectF(mm.topLeft() * px, mm.size() * px).toAlignedRect());
        const QString text = TextIn(words, page, mm);
        if (label < 0 || label >= static_cast<int>(expected.size())) {
            EXPECT_TRUE(testsupport::InkIn(picture.convertToFormat(QImage::Format_Grayscale8), picture.rect()).isEmpty())
                << "cell " << cell << " is left free";
            continue;
        }
        const int record = expected[static_cast<size_t>(label)];
        SCOPED_TRACE(QStringLiteral("label %1, record %2").arg(label).arg(record).toStdString());
        EXPECT_EQ(testsupport::DecodeOne(testsupport::WithQuietZone(picture), ZXing::BarcodeFormat::Code128).text,
                  Sku(record).toStdString());
        EXPECT_EQ(text, QStringLiteral("%1 Nuts, \"salted\" %2 Lot %3").arg(Sku(record)).arg(record).arg(record % 3));
    }
}

TEST_F(LabelsCommand, ThreeBadRecords_NothingPrintsAndExactlyTheyAreListed_SkipBadPrintsTheRest)
{
    QByteArray csv = "gtin,name\n";
    for (int i = 1; i <= 20; ++i)
        csv += (i == 3 ? QByteArray("12A") : i == 9 ? QByteArray("400638133393X") : i == 15 ? QByteArray("") : QByteArray("40063813339") + QByteArray::number(i % 10)) +
               ",Item " + QByteArray::number(i) + "\n";
    writeFile(QStringLiteral("items.csv"), csv);
    const QStringList args{"--barcode", "${gtin}", "--type", "retail-ean13", "--text", "${name}", "--data", "items.csv",
                           "--output", "labels.pdf"};
    const QString pdf = work.filePath(QStringLiteral("labels.pdf"));

    const testsupport::ProgramRun refused = Labels(args);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_FALSE(QFile::exists(pdf)) << "nothing prints";
    const QStringList listed = Findings(refused.err);
    ASSERT_EQ(listed.size(), 3) << refused.err.toStdString();
    // Records 3, 9 and 15 are on lines 4, 10 and 16.
    EXPECT_TRUE(listed[0].startsWith(QStringLiteral("quorvane: items.csv:4: gtin: \"12A\" can't be drawn as EAN-13"))) << listed[0].toStdString();
    EXPECT_TRUE(listed[1].startsWith(QStringLiteral("quorvane: items.csv:10: gtin: "))) << listed[1].toStdString();
    EXPECT_TRUE(listed[2].startsWith(QStringLiteral("quorvane: items.csv:16: gtin: its EAN-13 barcode has no text"))) << listed[2].toStdString();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("3 of 20 records can't be printed"))) << refused.err.toStdString();

    const testsupport::ProgramRun skipped = Labels(args + QStringList{"--skip-bad"});
    EXPECT_EQ(skipped.exitCode, 2) << skipped.err.toStdString();
    EXPECT_EQ(Findings(skipped.err), listed);
    const std::vector<QImage> pages = testsupport::RenderPdf(pdf, kDpi);
    ASSERT_EQ(pages.size(), 17u) << "a page a label, the label's size";
    QStringList read;
    for (const QImage& page : pages)
        read << QString::fromStdString(testsupport::DecodeOne(testsupport::WithQuietZone(page), ZXing::BarcodeFormat::EAN13).text);
    QStringList want;
    for (int i = 1; i <= 20; ++i)
        if (i != 3 && i != 9 && i != 15)
            want << QStringLiteral("40063813339%1").arg(i % 10);
    for (qsizetype i = 0; i < read.size(); ++i)
        EXPECT_TRUE(read[i].startsWith(want[i])) << read[i].toStdString() << " is not " << want[i].toStdString();
}

TEST_F(LabelsCommand, StandardInputAndDryRun)
{
    QByteArray csv = "sku;name\n";
    for (int i = 1; i <= 30; ++i)
        csv += Sku(i).toUtf8() + ";Item " + QByteArray::number(i) + "\n";

    // A dry run checks every record and says what would print, and prints nothing.
    const testsupport::ProgramRun dry = Labels({"--barcode", "${sku}", "--data", "-", "--layout", "L7160", "--start", "20",
                                                "--copies", "2", "--printer", "Print to PDF file", "--dry-run"},
                                               csv);
    ASSERT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    for (const char* line : {"Data: standard input, 30 records (fields sku, name)\n", "Records: 30 chosen\n", "Labels: 60\n",
                             "Printer: Print to PDF file\n", "Layout: Avery L7160, from label 20: 4 sheets\n",
                             "Nothing was printed (--dry-run)."})
        EXPECT_TRUE(dry.out.contains(QString::fromUtf8(line))) << line << " in:\n" << dry.out.toStdString();
    EXPECT_TRUE(testsupport::Entries(pdfDir).isEmpty());

    const testsupport::ProgramRun bad = Labels({"--barcode", "${sku}", "--type", "retail-ean8", "--data", "-", "--dry-run",
                                                "--records", "2-4", "--output", "x.pdf"},
                                               csv);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err.count(QStringLiteral("quorvane: standard input:")), 3) << bad.err.toStdString();
    EXPECT_TRUE(bad.out.contains(QStringLiteral("Records: 3 chosen, 3 can't be printed"))) << bad.out.toStdString();

    // Standard input to PNG files: a file a label, numbered as the ~ say.
    QDir(work.path()).mkdir(QStringLiteral("png"));
    const testsupport::ProgramRun png = Labels({"--barcode", "${sku}", "--text", "${name}", "--data", "-", "--records", "29-",
                                                "--copies", "2", "--output", "png/label-~~~.png", "--dpi", "300"},
                                               csv);
    ASSERT_EQ(png.exitCode, 0) << png.err.toStdString();
    EXPECT_EQ(testsupport::Entries(work.filePath(QStringLiteral("png"))),
              QStringList({"label-001.png", "label-002.png", "label-003.png", "label-004.png"}));
    const char* codes[] = {"SKU-00029", "SKU-00029", "SKU-00030", "SKU-00030"};
    for (int i = 0; i < 4; ++i) {
        const QImage label(work.filePath(QStringLiteral("png/label-%1.png").arg(i + 1, 3, 10, QLatin1Char('0'))));
        EXPECT_EQ(label.size(), QSize(750, 450)) << "63.5 × 38.1 mm at 300 dpi";
        EXPECT_EQ(testsupport::DecodeOne(testsupport::WithQuietZone(label)).text, codes[i]);
    }
}
