// CSV files as label data: RFC 4180's quoting, delimiters found or given,
// the encodings, bad input refused with its line, and records streamed in
// flat memory from files, FIFOs and standard input.
#include "files/CsvReader.h"
#include "services/Termination.h"
#include "tests/files/ReadRecords.h"
#include "tests/support/Sanitizers.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using files::DataOptions;
using files::TextEncoding;
using Read = testsupport::Records;
using testsupport::ReadRecords;

namespace {

template <qsizetype N> QByteArray Bytes(const char (&text)[N]) { return QByteArray(text, N - 1); } // keeps NULs

QByteArray Utf16(const QString& text, bool bigEndian, bool mark = true)
{
    QByteArray out;
    for (QChar c : (mark ? QStringLiteral("\uFEFF") : QString()) + text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1} : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return out;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

DataOptions With(QChar delimiter = {}, TextEncoding encoding = TextEncoding::Detect, bool header = true)
{
    DataOptions options;
    options.delimiter = delimiter;
    options.encoding = encoding;
    options.header = header;
    return options;
}

struct Good {
    const char* why;
    QByteArray bytes;
    DataOptions options;
    QStringList names;
    QList<QStringList> records;
    QList<qint64> lines;
    const char* file = "data.csv";
};

} // namespace

TEST(CsvReading, WellFormedFiles_ReadAsWritten)
{
    const Good rows[] = {
        {"RFC 4180 2.1: CRLF line ends", "aaa,bbb,ccc\r\nzzz,yyy,xxx\r\n", {}, {"aaa", "bbb", "ccc"}, {{"zzz", "yyy", "xxx"}}, {2}},
        {"RFC 4180 2.2: no line end after the last record", "aaa,bbb,ccc\r\nzzz,yyy,xxx", {}, {"aaa", "bbb", "ccc"}, {{"zzz", "yyy", "xxx"}}, {2}},
        {"RFC 4180 2.5: quoted fields", "\"aaa\",\"bbb\",\"ccc\"\r\nzzz,yyy,xxx\r\n", {}, {"aaa", "bbb", "ccc"}, {{"zzz", "yyy", "xxx"}}, {2}},
        {"RFC 4180 2.6: a line break inside quotes; the next record starts on line 3", "\"aaa\",\"b\r\nbb\",\"ccc\"\r\nzzz,yyy,xxx\r\n", {}, {"aaa", "b\r\nbb", "ccc"}, {{"zzz", "yyy", "xxx"}}, {3}},
        {"RFC 4180 2.7: a quote written twice", "\"aaa\",\"b\"\"bb\",\"ccc\"\n", With({}, TextEncoding::Detect, false), {"1", "2", "3"}, {{"aaa", "b\"bb", "ccc"}}, {1}},
        {"LF line ends, a comma in quotes", "sku,name\n1,\"Nuts, salted\"\n2,Bolts\n", {}, {"sku", "name"}, {{"1", "Nuts, salted"}, {"2", "Bolts"}}, {2, 3}},
        {"a UTF-8 byte-order mark is not part of the first name", "\xEF\xBB\xBFsku,name\n1,a\n", {}, {"sku", "name"}, {{"1", "a"}}, {2}},
        {"';' found: commas split the lines unevenly", "sku;name;price\n1;Nuts, salted;2,50\n", {}, {"sku", "name", "price"}, {{"1", "Nuts, salted", "2,50"}}, {2}},
        {"tab found", "a\tb\n1\t2\n", {}, {"a", "b"}, {{"1", "2"}}, {2}},
        {"'|' found", "a|b|c\n1|2|3\n", {}, {"a", "b", "c"}, {{"1", "2", "3"}}, {2}},
        {"a ',' in quotes does not count for the delimiter", "\"a,b\";c\n\"1,2\";3\n", {}, {"a,b", "c"}, {{"1,2", "3"}}, {2}},
        {"a .tsv file is split at tabs, though commas split it evenly too", "a,b\tc\n1,2\t3\n", {}, {"a,b", "c"}, {{"1,2", "3"}}, {2}, "data.tsv"},
        {"the delimiter given wins", "a;b,c\n1;2,3\n", With(u';'), {"a", "b,c"}, {{"1", "2,3"}}, {2}},
        {"one column", "sku\nA1\nA2\n", {}, {"sku"}, {{"A1"}, {"A2"}}, {2, 3}},
        {"blank lines are no records, and still count", "a,b\n\n1,2\n\n\n3,4\n", {}, {"a", "b"}, {{"1", "2"}, {"3", "4"}}, {3, 6}},
        {"CR alone ends lines", "a,b\r1,2\r3,4", {}, {"a", "b"}, {{"1", "2"}, {"3", "4"}}, {2, 3}},
        {"without a header the fields are numbered", "x,y\nz,w\n", With({}, TextEncoding::Detect, false), {"1", "2"}, {{"x", "y"}, {"z", "w"}}, {1, 2}},
        {"a quote inside an unquoted field is kept", "a,b\n5\" screen,x\n", {}, {"a", "b"}, {{"5\" screen", "x"}}, {2}},
        {"empty fields, quoted or not, the last one too", "a,b,c\n\"\",,\n", {}, {"a", "b", "c"}, {{"", "", ""}}, {2}},
        {"an empty header name is its column's number", "sku,,name\n1,2,3\n", {}, {"sku", "2", "name"}, {{"1", "2", "3"}}, {2}},
        {"a header and no records", "sku,name\n", {}, {"sku", "name"}, {}, {}},
        {"Windows-1252 asked for: every byte is a character", "name\nCaf\xE9 \x80 \x9C\n", With({}, TextEncoding::Cp1252), {"name"}, {{QStringLiteral("Caf\u00e9 \u20ac \u0153")}}, {2}},
        {"UTF-16 LE by its mark", Utf16(QStringLiteral("sku,name\r\n1,\u00c4pfel \U0001F600\r\n"), false), {}, {"sku", "name"}, {{"1", QStringLiteral("\u00c4pfel \U0001F600")}}, {2}},
        {"UTF-16 BE by its mark", Utf16(QStringLiteral("sku;name\n1;\u00c4\n"), true), {}, {"sku", "name"}, {{"1", QStringLiteral("\u00c4")}}, {2}},
        {"UTF-16 asked for: the mark says the order", Utf16(QStringLiteral("a\tb\n1\t2\n"), true), With({}, TextEncoding::Utf16), {"a", "b"}, {{"1", "2"}}, {2}},
        {"UTF-16 LE asked for, without a mark", Utf16(QStringLiteral("a,b\n1,2\n"), false, false), With({}, TextEncoding::Utf16LE), {"a", "b"}, {{"1", "2"}}, {2}},
        {"UTF-8 asked for and marked", "\xEF\xBB\xBF" "a\n\xC3\xA9\n", With({}, TextEncoding::Utf8), {"a"}, {{QStringLiteral("\u00e9")}}, {2}},
    };
    QTemporaryDir dir;
    for (const Good& row : rows) {
        SCOPED_TRACE(row.why);
        const QString path = dir.filePath(QString::fromLatin1(row.file));
        Write(path, row.bytes);
        const Read read = ReadRecords(path, row.options);
        ASSERT_FALSE(read.failure) << read.failure->text.toStdString();
        EXPECT_EQ(read.names, row.names);
        EXPECT_EQ(read.values, row.records);
        EXPECT_EQ(read.lines, row.lines);
    }
}

TEST(CsvReading, BadInput_IsRefusedWithItsLine)
{
    struct Bad {
        const char* why;
        QByteArray bytes;
        DataOptions options;
        qint64 line; // in the failure's place
        const char* says;
        int goodRecords = 0; // records read before it
    };
    const Bad rows[] = {
        {"a record with fewer fields", "a,b,c\n1,2,3\n4,5\n", {}, 3, "data.csv:3: the record has 2 fields, but the header names 3 fields.", 1},
        {"a record with more fields", "a,b\n1,2,3\n", {}, 2, "data.csv:2: the record has 3 fields, but the header names 2 fields."},
        {"without a header the first record sets the count", "1,2\n3\n", With({}, TextEncoding::Detect, false), 2, "the record has 1 field, but the first record has 2 fields.", 1},
        {"a quote never closed: the line of its record", "a,b\n1,2\n3,\"open\n4,5\n6,7\n", {}, 3, "data.csv:3: field 2 opens a quote that is never closed.", 1},
        {"a quote opened on a later line of the record", "a,b\n\"x\ny\",\"open\n", {}, 2, "field 2 opens a quote on line 3 that is never closed."},
        {"text after a closing quote", "a,b\n\"x\"y,2\n", {}, 2, "data.csv:2: field 1 has text after its closing quote"},
        {"a NUL byte", Bytes("a,b\n1,2\n3,\0\n"), {}, 3, "data.csv:3: there is a NUL byte", 1},
        {"a UTF-16 file without its mark has NULs", Bytes("a\0,\0b\0\n\0"), {}, 1, "A UTF-16 file must start with its byte-order mark."},
        {"not UTF-8 on line 4", "a,b\n1,2\n3,4\n5,caf\xE9\n", {}, 4, "data.csv:4: the byte 0xE9 is not UTF-8.", 2},
        {"a UTF-8 character cut off at the end", "a\n\xC3", {}, 2, "data.csv:2: the file ends in the middle of a UTF-8 character."},
        {"an overlong UTF-8 form", "a\n\xC0\xAF\n", {}, 2, "the byte 0xC0 is not UTF-8."},
        {"a byte Windows-1252 leaves undefined", "a\nx\n\x81\n", With({}, TextEncoding::Cp1252), 3, "data.csv:3: the byte 0x81 is not a Windows-1252 character.", 1},
        {"half a UTF-16 character", Utf16(QStringLiteral("a\n") + QChar(0xD800) + QStringLiteral("x\n"), false), {}, 2, "data.csv:2: the UTF-16 unit 0xD800 is half of a character"},
        {"a UTF-16 file cut in the middle of a unit", Utf16(QStringLiteral("a\nb"), true) + QByteArray(1, '\0'), {}, 2, "the file ends in the middle of a UTF-16 character."},
        {"a mark that contradicts the encoding asked for", "\xEF\xBB\xBF" "a\n", With({}, TextEncoding::Cp1252), 1, "data.csv starts with the byte-order mark of UTF-8, but it was to be read as Windows-1252."},
        {"UTF-16 asked for, with no mark to give the order", "a\n", With({}, TextEncoding::Utf16), 1, "does not start with a UTF-16 byte-order mark"},
        {"a field named twice", "sku,name,sku\n1,2,3\n", {}, 1, "data.csv:1: the header names the field \"sku\" twice, in columns 1 and 3"},
        {"nothing to name the fields", "", {}, 0, "data.csv is empty; its first line should name the fields."},
        {"only blank lines", "\n\r\n\n", {}, 0, "data.csv is empty"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.csv"));
    for (const Bad& row : rows) {
        SCOPED_TRACE(row.why);
        Write(path, row.bytes);
        const Read read = ReadRecords(path, row.options);
        ASSERT_TRUE(read.failure);
        EXPECT_TRUE(read.failure->text.contains(QString::fromUtf8(row.says))) << read.failure->text.toStdString();
        EXPECT_EQ(read.failure->where.line, row.line);
        EXPECT_EQ(read.failure->where.file, path);
        EXPECT_EQ(read.values.size(), row.goodRecords);
    }
}

TEST(CsvReading, RaggedRecord_FailureNamesTheRecord)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("items.csv"));
    Write(path, "sku,qty\nA,1\n\"B\nb\",2\nC\n");
    const Read read = ReadRecords(path);
    ASSERT_TRUE(read.failure);
    EXPECT_EQ(read.failure->where.record, 3);
    EXPECT_EQ(read.failure->where.line, 5); // record 2 took two lines
}

TEST(CsvReading, EncodingNames)
{
    const std::pair<const char*, TextEncoding> rows[] = {
        {"utf-8", TextEncoding::Utf8},       {"UTF8", TextEncoding::Utf8},
        {"utf-16", TextEncoding::Utf16},     {"UTF-16LE", TextEncoding::Utf16LE},
        {"utf-16be", TextEncoding::Utf16BE}, {"windows-1252", TextEncoding::Cp1252},
        {"cp1252", TextEncoding::Cp1252},
    };
    for (const auto& [name, encoding] : rows) {
        const auto named = files::TextEncodingNamed(QString::fromLatin1(name));
        ASSERT_TRUE(named.ok()) << name;
        EXPECT_EQ(*named, encoding) << name;
    }
    EXPECT_TRUE(files::TextEncodingNamed(QStringLiteral("latin-9")).failed());
}

// A field far longer than a block of the file: quotes and line breaks in it
// at every block's edge, and the lines after it still counted.
TEST(CsvStreaming, TenMegabyteField_ReadsWhole)
{
    QString field;
    field.reserve(10'000'000);
    for (int i = 0; field.size() < 10'000'000; ++i)
        field += (i % 1000 == 999) ? QStringLiteral("\"\n") : QStringLiteral("0123456789");
    QByteArray quoted = field.toUtf8();
    quoted.replace("\"", "\"\"");
    const qint64 breaks = field.count(u'\n');
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    Write(path, "id,blob\n1,\"" + quoted + "\"\n2,short\n");
    const Read read = ReadRecords(path);
    ASSERT_FALSE(read.failure) << read.failure->text.toStdString();
    ASSERT_EQ(read.values.size(), 2);
    EXPECT_EQ(read.values[0][1].size(), field.size());
    EXPECT_TRUE(read.values[0][1] == field);
    EXPECT_EQ(read.lines, (QList<qint64>{2, 3 + breaks}));
}

TEST(CsvStreaming, MillionRows_ReadInFlatMemory)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("many.csv"));
    constexpr int kRows = 1'000'000;
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("sku,name,qty\r\n");
        QByteArray chunk;
        for (int i = 1; i <= kRows; ++i) {
            chunk += "SKU" + QByteArray::number(i).rightJustified(7, '0') + ",\"Item, no. " + QByteArray::number(i) +
                     "\"," + QByteArray::number(i % 97) + "\r\n";
            if (chunk.size() > (1 << 20) || i == kRows) {
                ASSERT_EQ(f.write(chunk), chunk.size());
                chunk.clear();
            }
        }
    }
    rusage before = {};
    getrusage(RUSAGE_SELF, &before);
    auto reader = files::CsvReader::Open(path);
    ASSERT_TRUE(reader.ok());
    qint64 count = 0;
    qsizetype held = 0;
    const files::DataRecord* last = nullptr;
    for (;;) {
        const auto record = (*reader)->Next();
        ASSERT_TRUE(record.ok()) << record.failure().text.toStdString();
        if (!*record)
            break;
        last = *record;
        ++count;
        held = std::max(held, (*reader)->HeldBytes());
    }
    rusage after = {};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_EQ(count, kRows);
    EXPECT_EQ(last->values, (QStringList{"SKU1000000", "Item, no. 1000000", QString::number(kRows % 97)}));
    EXPECT_EQ(last->line, kRows + 1);
    // A block of bytes and of text and one record: far below the 37 MB read.
    EXPECT_LT(held, 512 * 1024);
    if (!testsupport::kUnderAsan) { // which keeps what was freed aside
        EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024); // kilobytes
    }
}

// A FIFO gives the reader a few bytes at a time: the mark, a UTF-16 unit,
// a CR LF or a quote pair may be split between reads.
TEST(CsvStreaming, FifoInSmallPieces_ReadsAsTheFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QByteArray bytes = Utf16(QStringLiteral("sku;note\r\n1;\"say \"\"hi\"\"\r\nthere\"\r\n2;\u00e9\r\n"), false);
    std::thread writer([&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
        for (qsizetype i = 0; i < bytes.size(); i += 3)
            (void)!::write(fd, bytes.constData() + i, size_t(std::min<qsizetype>(3, bytes.size() - i)));
        ::close(fd);
    });
    const Read read = ReadRecords(fifo);
    writer.join();
    ASSERT_FALSE(read.failure) << read.failure->text.toStdString();
    EXPECT_EQ(read.names, (QStringList{"sku", "note"}));
    EXPECT_EQ(read.values, (QList<QStringList>{{"1", "say \"hi\"\r\nthere"}, {"2", QStringLiteral("\u00e9")}}));
    EXPECT_EQ(read.lines, (QList<qint64>{2, 4}));
}

// Standard input as a pipe, and as a file (quorvane ... - < items.csv).
TEST(CsvStreaming, StandardInput_IsDash)
{
    const int saved = ::dup(0);
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    ASSERT_EQ(::dup2(pipe[0], 0), 0);
    ::close(pipe[0]);
    std::thread writer([&] {
        const QByteArray bytes = "sku\tqty\n7\t1\n8\t2\n";
        (void)!::write(pipe[1], bytes.constData(), size_t(bytes.size()));
        ::close(pipe[1]);
    });
    const Read piped = ReadRecords(QStringLiteral("-"));
    writer.join();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("items.csv"));
    Write(path, "sku;qty\n9;3\n");
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ::dup2(file, 0);
    ::close(file);
    const Read redirected = ReadRecords(QStringLiteral("-"));
    ::dup2(saved, 0);
    ::close(saved);

    ASSERT_FALSE(piped.failure) << piped.failure->text.toStdString();
    EXPECT_EQ(piped.values, (QList<QStringList>{{"7", "1"}, {"8", "2"}}));
    ASSERT_FALSE(redirected.failure) << redirected.failure->text.toStdString();
    EXPECT_EQ(redirected.values, (QList<QStringList>{{"9", "3"}}));
}

// A writer that has opened the FIFO and sends nothing: a stop ends the wait.
TEST(CsvStreaming, StopRequest_EndsTheWaitForASilentWriter)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int writer = ::open(QFile::encodeName(fifo).constData(), O_RDWR); // a writer that stays
    services::RequestStop();
    const Read read = ReadRecords(fifo);
    services::ClearStopRequest();
    ::close(writer);
    ASSERT_TRUE(read.failure);
    EXPECT_EQ(read.failure->code, core::kStopped);
}

// The file is read through the descriptor opened first: one replaced under
// its name is read as it was; one written to while it is read is refused.
TEST(CsvStreaming, FileChangedWhileRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("items.csv"));
    QByteArray old = "sku\n";
    for (int i = 0; i < 100000; ++i)
        old += "old" + QByteArray::number(i) + "\n";

    Write(path, old);
    auto replaced = files::CsvReader::Open(path);
    ASSERT_TRUE(replaced.ok());
    Write(dir.filePath(QStringLiteral("new.csv")), "sku\nnew\n");
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(dir.filePath(QStringLiteral("new.csv")), path));
    qint64 count = 0;
    for (auto r = (*replaced)->Next(); r.ok() && *r; r = (*replaced)->Next()) {
        EXPECT_TRUE((*r)->values[0].startsWith(QLatin1String("old")));
        ++count;
    }
    EXPECT_EQ(count, 100000);

    Write(path, old);
    auto appended = files::CsvReader::Open(path);
    ASSERT_TRUE(appended.ok());
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("late\n");
    }
    auto r = (*appended)->Next();
    while (r.ok() && *r)
        r = (*appended)->Next();
    ASSERT_TRUE(r.failed());
    EXPECT_TRUE(r.failure().text.contains(QLatin1String("items.csv changed while it was being read")));
}

TEST(CsvReading, MissingFileAndDevice_AreRefused)
{
    QTemporaryDir dir;
    const Read missing = ReadRecords(dir.filePath(QStringLiteral("none.csv")));
    ASSERT_TRUE(missing.failure);
    EXPECT_EQ(missing.failure->code, core::kCannotOpen);
    EXPECT_TRUE(missing.failure->text.contains(QLatin1String("none.csv")));
    const Read device = ReadRecords(QStringLiteral("/dev/zero"));
    ASSERT_TRUE(device.failure);
    EXPECT_TRUE(device.failure->text.contains(QLatin1String("it is a device, not a file")));
}
