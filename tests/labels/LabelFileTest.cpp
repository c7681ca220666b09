// The label file: saved, loaded and saved again to the same bytes; bad
// files refused in one message naming the file, the part and the field;
// a save that can't be read back leaves the file there as it was.
#include "labels/LabelFile.h"
#include "tests/labels/SampleLabel.h"
#include "tests/support/Files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using labels::LabelFromJson;

namespace {

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A file of one label 100 x 60 mm with the parts given.
QByteArray WithParts(const QByteArray& parts)
{
    return R"({"version": 1, "unit": "mm", "widthMm": 100, "heightMm": 60, "parts": [)" + parts + "]}";
}

} // namespace

TEST(LabelFile, SavedLoadedAndSavedAgain_SameBytes)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("shelf.label")), second = dir.filePath(QStringLiteral("again.label"));
    const labels::Label label = testsupport::SampleLabel();
    ASSERT_TRUE(labels::SaveLabel(label, first).ok());
    const core::Result<labels::Label> loaded = labels::LoadLabel(first);
    ASSERT_TRUE(loaded.ok()) << loaded.failure().text.toStdString();
    ASSERT_EQ(loaded->parts.size(), 6u);
    EXPECT_EQ(std::get<labels::BarcodePart>(loaded->parts[1].what).library.qrEcc, 'Q');
    ASSERT_TRUE(labels::SaveLabel(*loaded, second).ok());
    const QByteArray bytes = testsupport::Read(first);
    EXPECT_EQ(bytes, testsupport::Read(second));
    EXPECT_TRUE(bytes.startsWith("{\n    \"version\": 1,\n")) << "the version first, for a reader of the file";
    EXPECT_EQ(testsupport::Entries(dir.path()), QStringList({"again.label", "shelf.label"})) << "no temporary file left";
}

TEST(LabelFile, BadFiles_OneMessageNamingFilePartAndField)
{
    struct Row {
        QByteArray json;
        std::vector<const char*> said;
        const char* field; // the failure's place
        const char* why;
    };
    const QByteArray box = R"({"type": "box", "xMm": 1, "yMm": 1, "widthMm": 10, "heightMm": 10})";
    const QByteArray code = R"({"type": "barcode", "xMm": 5, "yMm": 5, "symbology": "code128", "text": "A1", "moduleMm": 0.3)";
    QByteArray manyParts;
    for (int i = 0; i < 10000; ++i)
        manyParts += (i ? "," : "") + box;
    const Row rows[] = {
        {"{\"version\": 1,\n \"widthMm\": 1", {"not a label file", "line 2, column 14", "byte 28"}, "", "cut short"},
        {R"({"version": 1, "widthMm": NaN})", {"line 1, column 27", "illegal number"}, "", "NaN is no JSON"},
        {R"({"version": 1, "widthMm": 1e999})", {"illegal number"}, "", "an infinite number is no JSON"},
        {"[1, 2]", {"a JSON array, not an object"}, "", "not an object"},
        {R"({"widthMm": 100})", {"no \"version\""}, "", "no version"},
        {R"({"version": 2, "widthMm": 100})", {"version 2", "up to version 1"}, "", "a later program's file"},
        {R"({"version": 1, "widthMm": 0, "heightMm": 60})", {"field \"widthMm\"", "from 1.1 to 1000"}, "widthMm", "no size"},
        {R"({"version": 1, "widthMm": 100, "heightMm": 1.05})", {"field \"heightMm\"", "1.05", "from 1.1"}, "heightMm", "below a PDF page's 3 points"},
        {WithParts(R"({"type": "circle", "xMm": 1, "yMm": 1})"), {"part 1", "\"circle\"", "barcode, text, line and box"}, "parts[1].type", "unknown part"},
        {WithParts(box + R"(, {"type": "box", "xMm": 1, "yMm": 1, "widthMm": 10, "heightMm": -5})"), {"part 2 (box)", "\"heightMm\"", "-5"}, "parts[2].heightMm", "a negative size"},
        {WithParts(R"({"type": "box", "xMm": "1", "yMm": 1, "widthMm": 10, "heightMm": 5})"), {"part 1", "\"xMm\"", "\"1\""}, "parts[1].xMm", "a number in quotes"},
        {WithParts(R"({"type": "box", "xMm": 90, "yMm": 1, "widthMm": 20, "heightMm": 5})"), {"part 1", "outside the label", "110 mm", "width of 100 mm"}, "parts[1]", "off the label"},
        {WithParts(R"({"type": "line", "xMm": 0, "yMm": 30, "endXMm": 100, "endYMm": 60})"), {"part 1 (line)", "outside the label"}, "parts[1]", "a slanted stroke's square end past the corner"},
        {WithParts(R"({"type": "barcode", "xMm": 5, "yMm": 5, "symbology": "code129", "text": "A", "moduleMm": 0.3})"), {"part 1 (barcode)", "\"code129\"", "code128, gs1-128"}, "parts[1].symbology", "unknown symbology, with the list"},
        {WithParts(code + R"(, "hieghtMm": 10})"), {"part 1", "\"hieghtMm\"", "no such field", "heightMm"}, "parts[1].hieghtMm", "a misspelt key"},
        {WithParts(code + R"(, "widthMm": 30})"), {"either \"moduleMm\"", "or \"widthMm\""}, "parts[1].moduleMm", "module and width both"},
        {WithParts(code + R"(, "ecc": "H"})"), {"\"ecc\"", "Code 128 barcode takes no such option"}, "parts[1].ecc", "another symbology's option"},
        {WithParts(R"({"type": "text", "xMm": 5, "yMm": 5, "text": "Lot ${lot"})"), {"part 1 (text)", "\"text\"", "character 5"}, "parts[1].text", "a placeholder not closed"},
        {WithParts(R"({"type": "text", "xMm": 5, "yMm": 5, "text": ")" + QByteArray(10001, 'x') + "\"}"), {"10001 characters", "at most 10000"}, "parts[1].text", "a text over the limit"},
        {WithParts(manyParts), {"10000 parts", "at most 1000"}, "parts", "too many parts"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const core::Result<labels::Label> label = LabelFromJson(row.json, QStringLiteral("shelf.label"));
        ASSERT_TRUE(label.failed());
        const core::Failure& f = label.failure();
        EXPECT_TRUE(f.text.startsWith(u"shelf.label")) << f.text.toStdString();
        EXPECT_FALSE(f.text.contains(QLatin1Char('\n'))) << "one line";
        for (const char* part : row.said)
            EXPECT_TRUE(f.text.contains(QString::fromUtf8(part))) << f.text.toStdString();
        EXPECT_EQ(f.where.file, QStringLiteral("shelf.label"));
        EXPECT_EQ(f.where.field, QString::fromUtf8(row.field));
    }
}

TEST(LabelFile, FilesNotToRead_RefusedWithoutReadingThem)
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.label")), fifo = dir.filePath(QStringLiteral("fifo.label"));
    Write(big, WithParts(R"({"type": "text", "xMm": 5, "yMm": 5, "text": ")" + QByteArray(10 << 20, 'x') + "\"}"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::pair<QString, const char*> rows[] = {
        {big, "larger than 1048576 bytes"},    // 10 MB of text: read no further than the limit
        {fifo, "not a regular file"},          // would wait for a writer
        {dir.path(), "not a regular file"},    // a folder
        {dir.filePath("none.label"), "does not exist"},
    };
    for (const auto& [path, said] : rows) {
        const core::Result<labels::Label> label = labels::LoadLabel(path);
        ASSERT_TRUE(label.failed()) << said;
        EXPECT_TRUE(label.failure().text.contains(path)) << label.failure().text.toStdString();
        EXPECT_TRUE(label.failure().text.contains(QLatin1String(said))) << label.failure().text.toStdString();
    }
}

TEST(LabelFile, SaveOfALabelThatWouldNotLoad_LeavesTheFileAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shelf.label"));
    ASSERT_TRUE(labels::SaveLabel(testsupport::SampleLabel(), path).ok());
    const QByteArray before = testsupport::Read(path);
    labels::Label moved = testsupport::SampleLabel();
    moved.parts[0].atMm = QPointF(-3, 5);
    const core::Status saved = labels::SaveLabel(moved, path);
    ASSERT_TRUE(saved.failed());
    EXPECT_TRUE(saved.failure().text.contains(u"part 1 (barcode)")) << saved.failure().text.toStdString();
    EXPECT_TRUE(saved.failure().text.contains(u"left of the label")) << saved.failure().text.toStdString();
    EXPECT_EQ(testsupport::Read(path), before);
    EXPECT_EQ(testsupport::Entries(dir.path()), QStringList{"shelf.label"});
}
