// `quorvane export` to a label printer's file, run as a script runs it:
// one label, a batch and a range each become one file of one format a
// label, every label the barcode as drawn at the printer's dots, read back
// by both readers; a label too small for its barcode leaves no file.
#include "tests/support/Decode.h"
#include "tests/support/LabelLanguages.h"
#include "tests/support/UnattendedRun.h"

#include <QFileInfo>

namespace {

struct LabelExport : ::testing::Test, testsupport::UnattendedRun {
    QString out(const QString& name) const { return work.filePath(name); }
};

core::Result<std::vector<testsupport::ReadLabel>> ReadFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return core::Failure{0, QStringLiteral("no file %1").arg(path)};
    const QByteArray bytes = f.readAll();
    if (path.endsWith(QLatin1String(".zpl")))
        return testsupport::ReadZplLabels(bytes);
    if (path.endsWith(QLatin1String(".epl")))
        return testsupport::ReadEpl2Labels(bytes);
    return testsupport::ReadTsplLabels(bytes);
}

} // namespace

TEST_F(LabelExport, OneLabelABatchAndARange_OneFileOneFormatALabel)
{
    const QString lines = writeFile(QStringLiteral("lines.txt"), "QV-A1\nQV-A2\n\nQV-A4\n");
    struct Case {
        QStringList args;
        const char* file;
        std::vector<std::string> texts;
        QSize dots; // the label's size; empty: the barcode's own
        const char* why;
    };
    const Case cases[] = {
        {{"--text", "QV-ONE"}, "one.zpl", {"QV-ONE"}, {}, "one label, as large as its barcode and quiet zones"},
        {{"--batch", lines, "--media", "2x1in"}, "batch.epl", {"QV-A1", "QV-A2", "QV-A4"}, {406, 203}, "a label a line, empty lines none"},
        {{"--from", "7", "--to", "10", "--prefix", "R-", "--media", "50x30mm", "--dpi", "300", "--darkness", "9"},
         "range.tspl", {"R-7", "R-8", "R-9"}, {591, 354}, "a label a number, up to and not including --to"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const QString path = out(QString::fromLatin1(c.file));
        const testsupport::ProgramRun r =
            quorvane(QStringList{"export", "--type", "code128b", "--output", path} + c.args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const auto labels = ReadFile(path);
        ASSERT_TRUE(labels.ok()) << labels.failure().text.toStdString();
        ASSERT_EQ(labels->size(), c.texts.size());
        for (size_t i = 0; i < c.texts.size(); ++i) {
            const testsupport::ReadLabel& l = (*labels)[i];
            if (!c.dots.isEmpty() && l.width) {
                EXPECT_EQ(*l.width, c.dots.width());
                EXPECT_EQ(*l.length, c.dots.height());
            }
            if (l.darkness) {
                EXPECT_EQ(*l.darkness, 9);
            }
            const QImage framed = testsupport::WithQuietZone(l.picture);
            EXPECT_EQ(testsupport::DecodeOne(framed).text, c.texts[i]);
            EXPECT_EQ(testsupport::ZbarReadOne(framed), c.texts[i]);
        }
    }
}

TEST_F(LabelExport, ALabelTooSmallOrATextThatDrawsNothing_LeavesNoFile)
{
    const QString path = out(QStringLiteral("small.zpl"));
    testsupport::ProgramRun r = quorvane({"export", "--type", "code128b", "--text", "A LONG LABEL TEXT", "--media", "10x5mm",
                                          "--output", path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("does not fit on the label of 80 × 40 dots"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Nothing was written to"))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));

    const QString lines = writeFile(QStringLiteral("upc.txt"), "12345678901\n123\n");
    r = quorvane({"export", "--type", "upca", "--batch", lines, "--output", path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("\"123\""))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path)) << "the file is whole or absent";
    EXPECT_TRUE(QDir(work.path()).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden).isEmpty());
}
