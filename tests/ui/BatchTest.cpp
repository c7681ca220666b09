#include "core/TextCodec.h"
#include "files/BatchFile.h"
#include "jobs/PrintJobs.h"
#include "printing/BatchPrint.h"
#include "services/Messages.h"
#include "services/Termination.h"
#include "symbols/Code39.h"
#include "tests/support/Decode.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using services::RecordingSink;
using testsupport::FakePrinters;

namespace {

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
}

QStringList ReadAll(const QString& path)
{
    files::BatchFileReader reader;
    const core::Status opened = reader.Open(path);
    EXPECT_TRUE(opened.ok()) << opened.failure().text.toStdString();
    QStringList lines;
    QString line;
    while (reader.ReadLine(line))
        lines << line;
    EXPECT_TRUE(reader.Outcome().ok());
    return lines;
}

} // namespace

TEST(BatchFileReader, SplitsLinesAtEveryKindOfLineEnd)
{
    struct Row { QByteArray bytes; QStringList lines; const char* why; };
    const Row rows[] = {
        {"", {}, "empty file: no line"},
        {"A\r\nB\r\n", {"A", "B"}, "CR LF, last line ended"},
        {"A\r\nB", {"A", "B"}, "the last line needs no end"},
        {"A\rB\rC", {"A", "B", "C"}, "CR alone"},
        {"A\nB\n", {"A", "B"}, "LF alone"},
        {"A\r\n\r\nB", {"A", "", "B"}, "an empty line is a line"},
        {"\r\n", {""}, "one empty line"},
        {"A\n\rB", {"A", "", "B"}, "LF then CR are two ends"},
        {" \tX \r\n", {" \tX "}, "blanks and tabs are kept"},
        {"\x80 caf\xe9", {QStringLiteral("\u20ac caf\u00e9")}, "Windows-1252"},
    };
    QTemporaryDir dir;
    int n = 0;
    for (const Row& r : rows)
        EXPECT_EQ(ReadAll(WriteFile(dir, QString::number(n++), r.bytes)), r.lines) << r.why;
}

TEST(BatchFileReader, LinesLongerThanABlockAndCrLfAcrossBlocks)
{
    QTemporaryDir dir;
    const QByteArray longLine(200000, 'x');
    QByteArray split(65535, 'y'); // the CR is the block's last byte, its LF the next block's first
    split += "\r\nZ";
    EXPECT_EQ(ReadAll(WriteFile(dir, QStringLiteral("long"), longLine + "\r\nB")),
              (QStringList{QString::fromLatin1(longLine), QStringLiteral("B")}));
    EXPECT_EQ(ReadAll(WriteFile(dir, QStringLiteral("split"), split)),
              (QStringList{QString(65535, QLatin1Char('y')), QStringLiteral("Z")}));
}

namespace {

QByteArray Utf16(const QString& text, bool bigEndian)
{
    QByteArray out(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
    for (QChar c : text) {
        const char lo = static_cast<char>(c.unicode() & 0xFF), hi = static_cast<char>(c.unicode() >> 8);
        out.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    }
    return out;
}

} // namespace

TEST(BatchFileReader, EncodingsByTheirMarkOrByTheFirstLineOutsideAscii)
{
    using Enc = files::BatchFileReader::Encoding;
    const QString cafe = QStringLiteral("Caf\u00e9 cr\u00e8me 5\u20ac");
    const QString text = QStringLiteral("*A1\r\n") + cafe + QStringLiteral("\r\n");
    struct Row { QByteArray bytes; QStringList lines; Enc encoding; const char* why; };
    const Row rows[] = {
        {text.toUtf8(), {"*A1", cafe}, Enc::Utf8, "UTF-8 without a mark"},
        {"\xEF\xBB\xBF" + text.toUtf8(), {"*A1", cafe}, Enc::Utf8, "the mark is not part of the first line"},
        {Utf16(text, false), {"*A1", cafe}, Enc::Utf16LE, "UTF-16 little endian"},
        {Utf16(text, true), {"*A1", cafe}, Enc::Utf16BE, "UTF-16 big endian"},
        {Utf16(QStringLiteral("A\rB"), false) + "X", {"A", "B"}, Enc::Utf16LE, "a byte left over at the end is dropped"},
        {"*A1\r\nCaf\xe9 cr\xe8me 5\x80\r\n", {"*A1", cafe}, Enc::Cp1252, "Windows-1252 as before"},
        {"x\r\nCaf\xc3\xa9\r\nd\xe9j\xc3\xa0", {"x", "Caf\u00e9", "d\u00e9j\u00e0"}, Enc::Utf8,
         "a byte that is not UTF-8 in a UTF-8 file reads as Windows-1252"},
        {"\xEF\xBB", {"\u00ef\u00bb"}, Enc::Cp1252, "too short for a mark"},
        {"plain\r\n", {"plain"}, Enc::Undecided, "ASCII decides nothing"},
    };
    QTemporaryDir dir;
    int n = 0;
    for (const Row& r : rows) {
        files::BatchFileReader reader;
        ASSERT_TRUE(reader.Open(WriteFile(dir, QString::number(n++), r.bytes)).ok());
        QStringList lines;
        QString line;
        while (reader.ReadLine(line))
            lines << line;
        EXPECT_EQ(lines, r.lines) << r.why;
        EXPECT_EQ(reader.TextEncoding(), r.encoding) << r.why;
    }
}

TEST(BatchFileReader, LineOverTheLimit_KeepsItsStartAndSaysSo)
{
    constexpr qsizetype limit = files::BatchFileReader::kMaxLineBytes;
    QTemporaryDir dir;
    // A UTF-8 character straddles the limit: the cut drops it whole.
    QByteArray big = QByteArray(limit - 1, 'a') + "\xe2\x82\xac" + QByteArray(3 * limit, 'b');
    const QString path = WriteFile(dir, QStringLiteral("big"), "x\xc3\xa9\r\n" + big + "\r\nlast");
    files::BatchFileReader reader;
    ASSERT_TRUE(reader.Open(path).ok());
    QString line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_FALSE(reader.LineWasCut());
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_TRUE(reader.LineWasCut());
    EXPECT_EQ(reader.LineNumber(), 2);
    EXPECT_EQ(line, QString(limit - 1, QLatin1Char('a')));
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_FALSE(reader.LineWasCut());
    EXPECT_EQ(line, QStringLiteral("last"));
    EXPECT_EQ(reader.LineNumber(), 3);
}

// A FIFO hands the reader a few bytes at a time: a mark, a UTF-16 unit or a
// CR LF may arrive in two reads.
TEST(BatchFileReader, FifoWrittenInSmallPieces_ReadsAsTheFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QByteArray bytes = Utf16(QStringLiteral("*A\u00e9\r\nB\rC\r\n"), true);
    std::thread writer([&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
        for (qsizetype i = 0; i < bytes.size(); i += 3) {
            (void)!::write(fd, bytes.constData() + i, static_cast<size_t>(std::min<qsizetype>(3, bytes.size() - i)));
            QThread::msleep(2);
        }
        ::close(fd);
    });
    EXPECT_EQ(ReadAll(fifo), (QStringList{QStringLiteral("*A\u00e9"), "B", "C"}));
    writer.join();
}

TEST(BatchFileReader, MissingFileOrFolder_ReportsWhy)
{
    QTemporaryDir dir;
    files::BatchFileReader reader;
    for (const QString& path : {dir.filePath(QStringLiteral("missing.txt")), dir.path()}) {
        const core::Status opened = reader.Open(path);
        ASSERT_TRUE(opened.failed()) << path.toStdString();
        EXPECT_FALSE(opened.failure().text.isEmpty());
    }
    // A device never ends and holds no text.
    const core::Status device = reader.Open(QStringLiteral("/dev/zero"));
    ASSERT_TRUE(device.failed());
    EXPECT_EQ(device.failure().text, QStringLiteral("it is a device, not a file"));
}

TEST(BatchCodeLines, PatternMatchingAndTheCode)
{
    struct Row { const char* line; const char* pattern; bool keep; std::optional<QString> code; const char* why; };
    const Row rows[] = {
        {"*A100", "*", false, QStringLiteral("A100"), "pattern cut off"},
        {"  *B200  ", "*", false, QStringLiteral("B200"), "blanks around are trimmed"},
        {"* B300 ", "*", false, QStringLiteral("B300"), "the code is trimmed again"},
        {"*", "*", false, QStringLiteral(""), "a lone pattern gives an empty code"},
        {"  *B200  ", "*", true, QStringLiteral("*B200"), "Check1 keeps the pattern"},
        {"ORDER 17", "*", false, std::nullopt, "no pattern, no code"},
        {"AB12", "ab", false, std::nullopt, "letter case counts"},
        {"ab12", "ab", false, QStringLiteral("12"), "same case matches"},
        {"", "", false, QStringLiteral(""), "empty pattern matches an empty line"},
        {" X ", "", false, QStringLiteral("X"), "empty pattern matches every line"},
        {"\t*C1", "*", false, std::nullopt, "a tab is not a blank"},
        {"*C1\t", "*", false, QStringLiteral("C1\t"), "a trailing tab stays"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(printing::CodeOfLine(QString::fromLatin1(r.line), QString::fromLatin1(r.pattern), r.keep), r.code) << r.why;
}

namespace {

struct ListingTest : testsupport::PrintingTest {
    QTemporaryDir dir;
    QStringList codes;
    std::unique_ptr<printing::PrintTarget> printer = sandbox.Printers().Open(printing::kPdfPrinterName);

    // Every barcode is a black block 300 x 60 pixels: its height on the page is known.
    bool print(const QByteArray& bytes, const QString& pattern = QStringLiteral("*"))
    {
        const QString path = WriteFile(dir, QStringLiteral("in.txt"), bytes);
        const core::Result<printing::Listing> listing =
            printing::PrintListing({path, pattern, false}, *printer, [this](const QString& code) {
                codes << code;
                printing::Barcode block;
                block.drawing.size = QSize(300, 60);
                block.drawing.AddFill(QRect(0, 0, 300, 60), graphics::kBlack);
                return block;
            });
        if (listing.ok())
            sandbox.Keep(listing->done);
        return listing.ok() && listing->linesNotAsAsked == 0;
    }
};

} // namespace

TEST_F(ListingTest, EmptyFile_PrintsNothing)
{
    EXPECT_TRUE(print(""));
    EXPECT_TRUE(sandbox.written.isEmpty());
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(ListingTest, EmptyPattern_EveryLineEmptyOnesIncludedGetsABarcode)
{
    EXPECT_TRUE(print("X\r\n\r\n Y ", QString()));
    EXPECT_EQ(codes, (QStringList{"X", "", "Y"}));
    EXPECT_EQ(sandbox.written.size(), 1);
}

TEST_F(ListingTest, CrOnlyAndLfOnlyFiles_PrintEveryLine)
{
    EXPECT_TRUE(print("*A\r*B\rC"));
    EXPECT_TRUE(print("*A\n*B\nC"));
    EXPECT_EQ(codes, (QStringList{"A", "B", "A", "B"}));
    EXPECT_EQ(sandbox.written.size(), 2);
}

TEST_F(ListingTest, ManyPages_NoBarcodeIsCutByThePageEdge)
{
    QByteArray text;
    const int count = 60;
    for (int i = 0; i < count; ++i)
        text += "*" + QByteArray::number(i) + "\r\nnote\r\n";
    ASSERT_TRUE(print(text));
    ASSERT_EQ(sandbox.written.size(), 1);

    const int dpi = 75;
    const auto pages = testsupport::RenderPdf(sandbox.written[0], dpi);
    ASSERT_GE(pages.size(), 3u);
    // A column inside the blocks and right of the short text lines: every
    // dark run there is one block, and each must be whole.
    const int x = 250 * dpi / 96;
    const double blockHeight = 60.0 * dpi / 96;
    int blocks = 0;
    for (const QImage& page : pages) {
        int run = 0;
        for (int y = 0; y <= page.height(); ++y) {
            if (y < page.height() && testsupport::IsDark(page, x, y)) {
                ++run;
                continue;
            }
            if (run > 0) {
                EXPECT_NEAR(run, blockHeight, 2.0) << "a block cut by the page edge";
                ++blocks;
            }
            run = 0;
        }
    }
    EXPECT_EQ(blocks, count);
}

TEST_F(ListingTest, MissingFile_MessageNamesTheFileAndNothingIsPrinted)
{
    const QString path = dir.filePath(QStringLiteral("no such file.txt"));
    const core::Result<printing::Listing> listing =
        printing::PrintListing({path, QStringLiteral("*"), false}, *printer, [](const QString&) { return printing::Barcode(); });
    ASSERT_TRUE(listing.failed());
    EXPECT_TRUE(listing.failure().text.contains(path)) << listing.failure().text.toStdString();
    EXPECT_TRUE(sandbox.written.isEmpty());
}

namespace {

// BOX fails with a message of its own, PIC fails in its picture, NOTE holds
// another text than its code, the rest print.
printing::Barcode TellingBarcode(const QString& code)
{
    printing::Barcode b;
    b.drawing.size = QSize(30, 10);
    b.drawing.AddFill(QRect(0, 0, 30, 10), graphics::kBlack);
    if (code == QLatin1String("BOX"))
        b.status = core::Failure{77, QStringLiteral("boxed")};
    if (code == QLatin1String("PIC"))
        b.status = core::Failure{78, QStringLiteral("pictured"), true};
    if (code == QLatin1String("NOTE"))
        b.note = QStringLiteral("a 0 was added");
    return b;
}

} // namespace

TEST_F(ListingTest, Problems_AreToldToTheCallerInOrderWithTheirCodesAndNeverShown)
{
    // Each told as "code box|log text", %1 standing for the file's path; why
    // nothing was sent comes back last, as "code sent-nothing text".
    const auto code = [](int c, const char* rest) { return QString::number(c) + QLatin1Char(' ') + QString::fromUtf8(rest); };
    struct Case { const char* why; QByteArray file; QStringList told; qint64 notAsAsked; const char* path = nullptr; bool stop = false; };
    const Case cases[] = {
        {"failures with their lines in file order; notes and pictured failures for the log only",
         "*BOX\r\n*PIC\r\n*NOTE\r\n*OK\r\n",
         {"77 box %1:1: boxed", "78 log %1:2: No barcode for \"PIC\": pictured", "1005 log %1:3: a 0 was added"}, 2},
        {"a cut line is named once the job went out, after a later line's failure",
         "*" + QByteArray(files::BatchFileReader::kMaxLineBytes + 1, 'A') + "\r\n*BOX",
         {"77 box %1:2: boxed",
          code(core::kLinesCut, "box Line 1 of \"%1\" is longer than 1 MiB: only the start was printed, without a barcode.")},
         2},
        {"a file that can't be opened", "",
         {code(core::kCannotOpen, "sent-nothing Cannot open the file \"%1\": it is a device, not a file")}, 0, "/dev/zero"},
        {"a stop", "*OK",
         {code(core::kStopped, "sent-nothing Printing of \"%1\" was stopped before the end of the file; nothing was sent to "
                               "the printer.")},
         0, nullptr, true},
    };
    for (const Case& c : cases) {
        const QString path = c.path ? QString::fromLatin1(c.path) : WriteFile(dir, QStringLiteral("told.txt"), c.file);
        if (c.stop)
            services::RequestStop();
        QStringList told;
        const core::Result<printing::Listing> r = printing::PrintListing(
            {path, QStringLiteral("*"), false}, *printer, TellingBarcode, [&told](const printing::ListingMessage& m) {
                told << QStringLiteral("%1 %2 %3").arg(m.failure.code).arg(m.logOnly ? "log" : "box", m.failure.text);
            });
        services::ClearStopRequest();
        if (r.failed())
            told << QStringLiteral("%1 sent-nothing %2").arg(r.failure().code).arg(r.failure().text);
        EXPECT_EQ(r.ok(), c.notAsAsked > 0) << c.why;
        EXPECT_EQ(r.ok() ? r->linesNotAsAsked : 0, c.notAsAsked) << c.why;
        QStringList expected;
        for (const QString& t : c.told)
            expected << t.arg(path);
        EXPECT_EQ(told, expected) << c.why;
    }
}

// Through the main window: the four-line order with Code 39.
namespace {

struct OrderTest : testsupport::PrintingTest {
    QTemporaryDir dir;
    ui::Form1 form{testsupport::PrintingWindow(*this)};

    void SetUp() override
    {
        form.Form_Load();
        testsupport::Radio(form, "Option2")->setChecked(true);
        testsupport::Line(form, "Text4")->setText(QStringLiteral("*"));
        testsupport::Line(form, "Text5")->setText(WriteFile(dir, QStringLiteral("order.txt"), "ORDER 17\r\n*A100\r\n  *B200  \r\n*\r\n"));
    }

    QStringList run()
    {
        QStringList codes;
        QObject::connect(testsupport::Line(form, "Text1"), &QLineEdit::textChanged, [&codes](const QString& t) { codes << t; });
        form.Command4_Click();
        return codes;
    }
};

} // namespace

TEST_F(OrderTest, Check1Unchecked_BarcodesOfTheCodesInFileOrder)
{
    testsupport::CheckBox(form, "Check1")->setChecked(false);
    // The window shows each code in turn, then what was typed before.
    EXPECT_EQ(run(), (QStringList{"A100", "B200", "", "Enter Bar Code Text here"}));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(sandbox.written.size(), 1);
    const auto pages = testsupport::RenderPdf(sandbox.written[0], 300);
    ASSERT_EQ(pages.size(), 1u);
    const auto found = testsupport::DecodeAll(pages[0], ZXing::BarcodeFormat::Code39);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].text, "A100");
    EXPECT_EQ(found[1].text, "B200");
    EXPECT_EQ(testsupport::Line(form, "Text1")->text(), QStringLiteral("Enter Bar Code Text here")); // the typed text comes back
}

TEST_F(OrderTest, PreviewOfAFileThatCannotBeOpened_SaysWhyWithoutABox)
{
    testsupport::Line(form, "Text5")->setText(QStringLiteral("/dev/zero"));
    const core::Result<ui::Form1::Pages> pages = form.PreviewPages(ui::Form1::PrintKind::PrintFile, 75);
    ASSERT_TRUE(pages.failed());
    EXPECT_EQ(pages.failure().text, QStringLiteral("Cannot open the file \"/dev/zero\": it is a device, not a file"));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
}

TEST_F(OrderTest, Check1Checked_TheCodesKeepThePattern)
{
    testsupport::CheckBox(form, "Check1")->setChecked(true);
    EXPECT_EQ(run(), (QStringList{"*A100", "*B200", "*", "Enter Bar Code Text here"}));
    ASSERT_EQ(sandbox.written.size(), 1);
}

TEST_F(OrderTest, PrintingControlsAreDisabledWhileTheBatchRuns)
{
    bool sawDisabled = false;
    pump = [&] {
        sawDisabled = sawDisabled || (!testsupport::Button(form, "Command2")->isEnabled() && !testsupport::Button(form, "Command4")->isEnabled() &&
                                      !testsupport::Button(form, "Command8")->isEnabled() && !testsupport::Action(form, "PrintTemp")->isEnabled() &&
                                      !testsupport::Action(form, "PrintFileTemp")->isEnabled());
    };
    form.Command4_Click();
    EXPECT_TRUE(sawDisabled);
    EXPECT_TRUE(testsupport::Button(form, "Command2")->isEnabled() && testsupport::Button(form, "Command4")->isEnabled() && testsupport::Button(form, "Command8")->isEnabled());
    EXPECT_TRUE(testsupport::Action(form, "PrintTemp")->isEnabled() && testsupport::Action(form, "PrintFileTemp")->isEnabled());
}

TEST_F(OrderTest, FileNameThatIsNotUtf8_PrintsAndOpensAgainAtTheNextStart)
{
    const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xe9.txt";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "*A1\r\n", 5), 5);
    ::close(fd);
    testsupport::Line(form, "Text5")->setText(core::FromLocalBytes(name));
    form.Command4_Click();
    ui::Form1 next{testsupport::PrintingWindow(*this)};
    next.Form_Load();
    next.Command4_Click();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(sandbox.written.size(), 2);
}

TEST_F(OrderTest, PathOfBlanksOnly_AsksForAFile)
{
    testsupport::Line(form, "Text5")->setText(QStringLiteral("   "));
    form.Command4_Click();
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("Please Select a File to Print")});
    EXPECT_TRUE(sandbox.written.isEmpty());
}

// Every symbology prints in a listing and scans from the printed page.
TEST_F(OrderTest, EverySymbology_PrintsScannableBarcodes)
{
    struct Row {
        const char* option;
        QByteArray file;
        ZXing::BarcodeFormats format;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"Option1", "*QV-0001\r\n*Label 2\r\n", ZXing::BarcodeFormat::Code128, {"QV-0001", "Label 2"}},
        {"Option2", "*QV-0001\r\n*LABEL 2\r\n", ZXing::BarcodeFormat::Code39, {"QV-0001", "LABEL 2"}},
        {"Option4", "*QV-0001\r\n", ZXing::BarcodeFormat::Code128, {"QV-0001"}},
        {"Option5", "*123456\r\n*98765432\r\n", ZXing::BarcodeFormat::ITF, {"123456", "98765432"}},
        {"Option8", "*03600029145\r\n", ZXing::BarcodeFormat::UPCA, {"036000291452"}},
        {"Option9", "*400638133393\r\n*1234567\r\n", ZXing::BarcodeFormat::EAN13 | ZXing::BarcodeFormat::EAN8,
         {"4006381333931", "12345670"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testsupport::Radio(form, r.option)->text().toStdString());
        testsupport::Radio(form, r.option)->setChecked(true);
        // EAN reads these boxes as bar length and font size; the others as
        // font size and height factor.
        const bool ean = std::string_view(r.option) == "Option9";
        testsupport::Line(form, "Text3")->setText(ean ? QStringLiteral("40") : QStringLiteral("8"));
        testsupport::Line(form, "Text8")->setText(ean ? QStringLiteral("8") : QStringLiteral("1.4"));
        sandbox.written.clear();
        testsupport::Line(form, "Text1")->clear();
        testsupport::Line(form, "Text5")->setText(WriteFile(dir, QStringLiteral("codes.txt"), r.file));
        form.Command4_Click();
        ASSERT_EQ(sandbox.written.size(), 1);
        const auto pages = testsupport::RenderPdf(sandbox.written[0], 300);
        ASSERT_EQ(pages.size(), 1u);
        std::vector<std::string> read;
        for (const auto& d : testsupport::DecodeAll(pages[0], r.format))
            read.push_back(d.text);
        EXPECT_EQ(read, r.expected);
    }
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
}
