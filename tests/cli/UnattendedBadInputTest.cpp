// Unattended runs on input that other programs or accidents produce: the
// run always ends by itself, says what went wrong on stderr, exits non-zero
// exactly when something did not print as asked, and leaves the settings
// store usable for the next run.
#include "core/TextCodec.h"
#include "services/Settings.h"
#include "tests/support/Decode.h"
#include "tests/support/Files.h"
#include "tests/support/Pages.h"
#include "tests/support/PrintTo.h"
#include "tests/support/ProcessState.h"
#include "tests/support/TempConfig.h"
#include "tests/support/UnattendedRun.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using testsupport::ProgramRun;
using testsupport::RunOptions;

namespace {

QByteArray RandomBytes(int n, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray b(n, '\0');
    for (char& c : b)
        c = static_cast<char>(gen.bounded(256));
    return b;
}

struct BadBatchInput {
    const char* name;
    const char* symbology; // "type1" Code 128 B, "type2" Code 39
    QByteArray file;
    bool failed;          // exit status non-zero
    const char* stderrHas; // part of the message, or "" for no message
    int pdfs;             // jobs written
    const char* why;
};

struct UnattendedBadInputTest : ::testing::Test, testsupport::UnattendedRun {
    testsupport::TempConfig config;

    void Select(const char* typeKey)
    {
        for (const char* k : {"type1", "type2", "type4", "type5", "type8", "type9"})
            Store(k, QString::fromLatin1(qstrcmp(k, typeKey) == 0 ? "True" : "False"));
        Store("line", QStringLiteral("*"));
    }
    int PdfCount() const { return static_cast<int>(QDir(pdfDir).entryList({QStringLiteral("*.pdf")}, QDir::Files).size()); }
    // Every file in the PDF folder, a job's hidden temporary file included.
    int FileCount() const
    {
        return static_cast<int>(QDir(pdfDir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).size());
    }
};

} // namespace

TEST_F(UnattendedBadInputTest, BatchFiles_EndByThemselvesWithAnHonestExitStatus)
{
    const BadBatchInput cases[] = {
        {"binary", "type2", RandomBytes(64 * 1024, 7), false, "Code 39 can't encode", 1,
         "Code 39 leaves out what it can't encode and names it; the listing prints"},
        {"binary-128", "type1", QByteArray("*A\x01" "B\r\n") + RandomBytes(16 * 1024, 9), true, "Unknow Error", 1,
         "Code 128 B refuses control characters with its message; the rest of the file still prints"},
        {"nul-and-high", "type1", QByteArray("*AB\0CD\r\n*\xe9t\xe9\r\n", 14), true, "Unknow Error", 1,
         "NUL and accented letters are outside Code 128 B: one message per line"},
        {"nul-and-high-39", "type2", QByteArray("*AB\0CD\r\n*\xe9t\xe9\r\n", 14), false,
         "barcode of \"AB<U+0000>CD\" holds ABCD (Code 39 can't encode U+0000 (character 3))", 1,
         "Code 39 leaves them out, as every character it lacks, and says what each line's barcode holds"},
        {"one-900KB-line", "type2", QByteArray("*") + QByteArray(900 * 1024, 'A'), true, "too long", 1,
         "a code far too long for one barcode is refused, not printed cut"},
        {"one-3MB-line", "type2", QByteArray("*") + QByteArray(3 * 1024 * 1024, 'A') + "\r\n*OK", true,
         "Line 1 of", 1, "a line past the line limit prints its start, no barcode, and is named"},
        {"empty", "type2", QByteArray(), false, "", 0, "an empty file prints nothing and is no error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Select(c.symbology);
        for (const QString& f : QDir(pdfDir).entryList(QDir::Files))
            QFile::remove(QDir(pdfDir).filePath(f));
        const QString path = writeFile(QString::fromLatin1(c.name) + ".txt", c.file);
        const ProgramRun r = quorvane({path}, 120000);
        ASSERT_TRUE(r.finished) << c.name << ": the run did not end";
        EXPECT_EQ(r.exitCode != 0, c.failed) << c.name << "\n" << r.err.left(2000).toStdString();
        if (*c.stderrHas)
            EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.stderrHas))) << c.name << "\n" << r.err.left(2000).toStdString();
        else
            EXPECT_TRUE(r.err.trimmed().isEmpty() || !r.err.contains(QLatin1String("quorvane: "))) << r.err.toStdString();
        EXPECT_EQ(PdfCount(), c.pdfs) << c.name;
    }
}

TEST_F(UnattendedBadInputTest, UnwritablePdfFolder_NamesTheFolderAndFails)
{
    Select("type2");
    pdfDir = writeFile(QStringLiteral("not-a-folder"), "a file where the folder should be");
    const ProgramRun r = quorvane({writeFile(QStringLiteral("a.txt"), "*A1\r\n")});
    ASSERT_TRUE(r.finished);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(pdfDir)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

// A stored printer that is not there prints nowhere else: a script set up
// for it learns so from the exit status.
TEST_F(UnattendedBadInputTest, PrinterNameOf10000Characters_IsNamed_AndNothingPrintedElsewhere)
{
    Select("type2");
    Store("c1opt", QString(10000, QLatin1Char('P')));
    const ProgramRun r = quorvane({writeFile(QStringLiteral("a.txt"), "*A1\r\n")});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("stored in the settings (c1opt) is not installed"))) << r.err.left(300).toStdString();
    EXPECT_EQ(PdfCount(), 0);
}

TEST_F(UnattendedBadInputTest, DamagedSettingsStore_RunsWithTheDefaults)
{
    // Each makes the store at `ini` (with `elsewhere` a folder of the
    // test's own) and returns the file that must come through unchanged.
    using Damage = std::function<QString(const QString& ini, const QString& elsewhere)>;
    struct Case {
        const char* name;
        Damage damage;
        const char* says = nullptr; // why the settings can't be saved, said once; nullptr: not checked
        bool needsRoot = false;     // device nodes and files of other users
    };
    const auto file = [](const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    };
    const auto link = [](const QString& target, const QString& ini) {
        QDir().mkpath(QFileInfo(ini).absolutePath());
        EXPECT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(ini).constData()), 0);
    };
    const Case cases[] = {
        {"garbage", [&](const QString& ini, const QString&) { return file(ini, RandomBytes(4096, 3)); }},
        {"a folder", [](const QString& ini, const QString&) { QDir().mkpath(ini); return ini; }, "is a folder"},
        {"an unwritable settings folder", [](const QString& ini, const QString&) {
             // A file where the settings folder should be: no write can
             // succeed there, whoever runs the test (root ignores modes).
             const QString folder = QFileInfo(ini).absolutePath();
             QDir(folder).removeRecursively();
             QFile f(folder);
             f.open(QIODevice::WriteOnly);
             return folder;
         }},
        {"a FIFO", [](const QString& ini, const QString&) {
             QDir().mkpath(QFileInfo(ini).absolutePath());
             EXPECT_EQ(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
             return ini;
         }, "a FIFO"},
        {"a dangling link", [&](const QString& ini, const QString& elsewhere) {
             link(elsewhere + "/gone.ini", ini);
             return elsewhere + "/gone.ini";
         }, "a link to nothing"},
        {"a link to a device node made here", [&](const QString& ini, const QString& elsewhere) {
             const QString node = elsewhere + "/zero";
             EXPECT_EQ(::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 5)), 0);
             link(node, ini);
             return node;
         }, "a device", true},
        {"a link planted by another user", [&](const QString& ini, const QString& elsewhere) {
             const QString victim = file(elsewhere + "/victim.conf", "keep me\n");
             link(victim, ini);
             EXPECT_EQ(::lchown(QFile::encodeName(ini).constData(), 65534, static_cast<gid_t>(-1)), 0);
             return victim;
         }, "another user", true},
        {"a 50 MB value", [&](const QString& ini, const QString&) {
             return file(ini, "[options]\nline=" + QByteArray(50 * 1024 * 1024, 'P') + "\n");
         }, "larger than 1 MiB"},
        {"a million keys", [&](const QString& ini, const QString&) {
             QByteArray keys = "[options]\n";
             for (int i = 0; i < 1000000; ++i)
                 keys += 'k' + QByteArray::number(i) + "=1\n";
             return file(ini, keys);
         }, "larger than 1 MiB"},
        {"a hundred thousand tiny keys in 1 MiB", [&](const QString& ini, const QString&) {
             QByteArray keys = "[options]\n";
             for (int i = 0; keys.size() < 1000000; ++i)
                 keys += QByteArray::number(i, 36) + "=\n";
             return file(ini, keys);
         }, "more than 10000 lines"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && ::geteuid() != 0)
            continue;
        testsupport::TempConfig fresh;
        QTemporaryDir elsewhere;
        const QString kept = c.damage(fresh.iniFile(), elsewhere.path());
        struct stat before = {};
        ::lstat(QFile::encodeName(kept).constData(), &before);
        RunOptions o;
        o.args = {writeFile(QStringLiteral("a.txt"), "A1\r\n")}; // default: every line a code line
        o.measurePeak = true;
        o.addressSpaceKiB = 400 * 1024; // where a million keys once ended in std::bad_alloc
        o.timeoutMs = 30000; // a FIFO once blocked the run for ever
        const ProgramRun r = run(o);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 1) << "one PDF written";
        if (!testsupport::kUnderAsan) {
            EXPECT_LT(r.peakKiB, 100 * 1024) << "peak memory, KiB";
        }
        if (c.says) {
            EXPECT_EQ(r.err.count(QLatin1String("could not be saved")), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.says))) << r.err.toStdString();
        }
        if (!c.says)
            continue; // a store that is used is rewritten
        struct stat after = {};
        ::lstat(QFile::encodeName(kept).constData(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino) << "never replaced";
        EXPECT_EQ(after.st_size, before.st_size) << "never written";
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
}

TEST_F(UnattendedBadInputTest, StoppedHalfway_DropsTheJob_KeepsTheSettings_AndTheNextRunWorks)
{
    Select("type2");
    Store("text9", QStringLiteral("640"));
    QByteArray big;
    for (int i = 0; i < 200000; ++i)
        big += "*L" + QByteArray::number(i) + "\r\n";
    const QString path = writeFile(QStringLiteral("big.txt"), big);

    const ProgramRun stopped = quorvane({path}, 60000, [this](QProcess& p) {
        // Stopped while it prints lines: its job's temporary file holds pages.
        EXPECT_TRUE(testsupport::WaitUntil([this] { return testsupport::JobInProgressBytes(pdfDir) > 0; }, 30000))
            << "the job never wrote a page";
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    });
    ASSERT_TRUE(stopped.finished) << "the run did not stop";
    EXPECT_NE(stopped.exitCode, 0);
    EXPECT_TRUE(stopped.err.contains(QLatin1String("stopped"))) << stopped.err.toStdString();
    EXPECT_EQ(FileCount(), 0) << "no half-written job is left, not even its temporary file";
    EXPECT_EQ(services::GetSetting("Quorvane", "options", "text9"), QStringLiteral("640"));
    EXPECT_EQ(services::GetSetting("Quorvane", "options", "file"), path);

    const ProgramRun next = quorvane({writeFile(QStringLiteral("small.txt"), "*OK\r\n")});
    ASSERT_TRUE(next.finished);
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_EQ(PdfCount(), 1);
}

namespace {

QByteArray Utf16File(bool bigEndian)
{
    QByteArray out = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (QChar c : QStringLiteral("*A1\r\nCaf\u00e9 cr\u00e8me 5\u20ac\r\n")) {
        const char lo = static_cast<char>(c.unicode() & 0xFF), hi = static_cast<char>(c.unicode() >> 8);
        out.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    }
    return out;
}

const QByteArray kCafeUtf8 = QStringLiteral("*A1\r\nCaf\u00e9 cr\u00e8me 5\u20ac\r\n").toUtf8();

// A shell command that writes a batch file into the FIFO "$0".
QProcess* StartFifoWriter(const QString& fifo, const char* script)
{
    auto* writer = new QProcess;
    writer->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLatin1(script), fifo});
    writer->waitForStarted(10000);
    return writer;
}

void EndWriter(QProcess* writer)
{
    if (!writer)
        return;
    writer->kill(); // only the writer this test started
    writer->waitForFinished(5000);
    delete writer;
}

QString MakeFifo(const QTemporaryDir& dir)
{
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QFile::remove(fifo);
    EXPECT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    return fifo;
}

struct HostileInput {
    const char* name;
    QByteArray file = "*A1\r\n";       // the batch file
    QByteArray fileName = "in.txt";     // any bytes
    const char* fifoWriter = nullptr;   // a shell command writing the file into the FIFO "$0" instead
    const char* path = nullptr;         // a path given as it is, instead of the file
    const char* symbology = "type2";
    const char* ini = nullptr;          // the settings file as written by hand, instead of the stored options
    std::pair<const char*, QString> stored = {nullptr, {}};
    QStringList unset = {};
    const char* stdoutTo = nullptr;
    int exit = 0;
    const char* stderrHas = "";         // "" for no message
    int pdfs = 1;
    const char* printed = "";           // text the page shows
    const char* barcode = "A1";         // the Code 39 barcode read from the page ("" none checked)
    const char* why = "";
};

} // namespace

// Each input runs the real program with its peak memory measured: whatever
// comes in, memory stays near that of a one-line file.
TEST_F(UnattendedBadInputTest, HostileInputs_ExitStatusMessageAndMemory)
{
    const HostileInput cases[] = {
        {.name = "/dev/zero", .path = "/dev/zero", .exit = 1, .stderrHas = "it is a device, not a file", .pdfs = 0,
         .barcode = "", .why = "never ends and holds no text: refused at once"},
        {.name = "FIFO with a writer", .fifoWriter = "printf '*A1\\r\\nnote\\r\\n' > \"$0\"", .printed = "note",
         .why = "read as it arrives, to the writer's end"},
        {.name = "200 MB line", .fifoWriter = "{ printf '*'; head -c 209715200 /dev/zero | tr '\\0' X; printf '\\r\\n*A1\\r\\n'; } > \"$0\"",
         .exit = 1, .stderrHas = "Line 1 of", .printed = "XXXXXXXX",
         .why = "its start is printed, the rest streams past, the next line prints whole"},
        {.name = "UTF-8", .file = kCafeUtf8, .printed = "Caf\u00e9 cr\u00e8me 5\u20ac", .why = "not Windows-1252 mojibake"},
        {.name = "UTF-8 with a mark", .file = "\xEF\xBB\xBF" + kCafeUtf8, .printed = "Caf\u00e9 cr\u00e8me 5\u20ac",
         .why = "the mark is not part of the first line, which stays a code line"},
        {.name = "UTF-16 LE", .file = Utf16File(false), .printed = "Caf\u00e9 cr\u00e8me 5\u20ac", .why = "by its mark"},
        {.name = "UTF-16 BE", .file = Utf16File(true), .printed = "Caf\u00e9 cr\u00e8me 5\u20ac", .why = "by its mark"},
        {.name = "file name not UTF-8", .fileName = "caf\xe9.txt", .why = "opened by its bytes, and stored so"},
        {.name = "[Options] in mixed case", .file = "x\r\n#A1\r\n",
         .ini = "[Options]\r\nType1=False\r\nType2=True\r\nLine=#\r\n", .why = "Code 39 and the pattern # as written"},
        {.name = "100,000-character pattern", .file = QByteArray(32767, 'P') + "A1\r\n",
         .stored = {"line", QString(100000, QLatin1Char('P'))}, .why = "held to its first 32767 characters, as a text box holds it"},
        {.name = "UPC with a bad code", .file = "*03600029145\r\n*123\r\n", .symbology = "type8", .exit = 1,
         .stderrHas = "Code is not 11 Digits", .barcode = "", .why = "UPC says so in its picture; the run fails too"},
        {.name = "stdout to /dev/full", .stdoutTo = "/dev/full", .exit = 1, .stderrHas = "standard output",
         .why = "the PDF is written, but nobody learns where"},
        {.name = "HOME unset", .unset = {"HOME", "XDG_CONFIG_HOME", "QUORVANE_PDF_DIR"}, .exit = 1,
         .stderrHas = "HOME is not set", .pdfs = 0, .barcode = "", .why = "never /.config or /Documents"},
    };
    const bool rootFoldersBefore = QFileInfo::exists(QStringLiteral("/.config/quorvane")) ||
                                   QFileInfo::exists(QStringLiteral("/Documents/Quorvane"));

    Select("type2");
    RunOptions baseline;
    baseline.args = {writeFile(QStringLiteral("one.txt"), "*A1\r\n")};
    baseline.measurePeak = true;
    const long baseKiB = run(baseline).peakKiB;
    ASSERT_GT(baseKiB, 0) << "/usr/bin/time is missing (scripts/deps)";

    for (const HostileInput& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.why);
        testsupport::TempConfig fresh;
        Select(c.symbology);
        if (c.stored.first)
            Store(c.stored.first, c.stored.second);
        if (c.ini) {
            QFile ini(fresh.iniFile());
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write(c.ini);
        }
        for (const QString& f : QDir(pdfDir).entryList(QDir::Files))
            QFile::remove(QDir(pdfDir).filePath(f));

        RunOptions o;
        o.measurePeak = true;
        o.unset = c.unset;
        if (c.stdoutTo)
            o.stdoutFile = QString::fromLatin1(c.stdoutTo);
        QProcess* writer = nullptr;
        QByteArray pathBytes;
        if (c.path) {
            pathBytes = c.path;
        } else if (c.fifoWriter) {
            pathBytes = QFile::encodeName(MakeFifo(work));
            writer = StartFifoWriter(QFile::decodeName(pathBytes), c.fifoWriter);
        } else {
            pathBytes = QFile::encodeName(work.path()) + '/' + c.fileName;
            QFile::remove(QFile::decodeName(pathBytes));
            const int fd = ::open(pathBytes.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::write(fd, c.file.constData(), static_cast<size_t>(c.file.size())), c.file.size());
            ::close(fd);
        }
        o.rawPath = pathBytes;
        const ProgramRun r = run(o);
        EndWriter(writer);

        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.left(2000).toStdString();
        if (*c.stderrHas)
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.stderrHas))) << r.err.left(2000).toStdString();
        else
            EXPECT_FALSE(r.err.contains(QLatin1String("quorvane: "))) << r.err.left(2000).toStdString();
        EXPECT_LT(r.peakKiB - baseKiB, 64 * 1024) << "peak " << r.peakKiB << " KiB, a one-line file " << baseKiB;
        const QStringList made = QDir(pdfDir).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        ASSERT_EQ(made.size(), c.pdfs);
        if (c.pdfs == 1) {
            const QString pdf = QDir(pdfDir).filePath(made[0]);
            EXPECT_TRUE(testsupport::PdfText(pdf).contains(QString::fromUtf8(c.printed))) << testsupport::PdfText(pdf).left(300).toStdString();
            if (*c.barcode) {
                const auto pages = testsupport::RenderPdf(pdf, 300);
                ASSERT_FALSE(pages.empty());
                EXPECT_EQ(testsupport::DecodeOne(pages[0], ZXing::BarcodeFormat::Code39).text, c.barcode);
            }
        }
        if (c.exit == 0) { // the path is stored so that it opens again
            EXPECT_EQ(core::ToLocalBytes(services::GetSetting("Quorvane", "options", "file")), pathBytes);
        }
        if (c.stored.first) {
            EXPECT_EQ(services::GetSetting("Quorvane", "options", c.stored.first), c.stored.second.left(services::kMaxSettingValue))
                << "stored back as it was read";
        }
    }
    if (!rootFoldersBefore) {
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/.config/quorvane")));
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/Documents/Quorvane")));
    }
}

// A signal ends the run wherever it waits or reads: the job is dropped,
// the run says so and exits 1. Without the stop each of these would run or
// wait for ever.
TEST_F(UnattendedBadInputTest, Signals_StopTheRunWhileBlockedOrInsideALongLine)
{
    using testsupport::BytesRead, testsupport::HasOpen, testsupport::ProgramName, testsupport::UnreadInFifo,
        testsupport::WaitsInPoll;
    struct State {
        const char* name;
        const char* writer;
        // The run (and its writer) stand where the signal is meant to find them.
        std::function<bool(qint64 run, qint64 writer, const QString& fifo)> reached;
    };
    const State states[] = {
        {"a FIFO no writer has opened", nullptr,
         [](qint64 run, qint64, const QString& fifo) { return HasOpen(run, fifo) && WaitsInPoll(run); }},
        // Far past the 1 MiB a line holds: skipping the rest of it.
        {"inside a line that never ends", "{ printf '*'; exec cat /dev/zero; } > \"$0\"",
         [](qint64 run, qint64, const QString& fifo) { return HasOpen(run, fifo) && BytesRead(run) > (16 << 20); }},
        // The line written (the writer has gone on to sleep) and read, and the run waiting for more.
        {"a writer that stops writing after one line", "{ printf '*A1\\r\\n'; exec sleep 120; } > \"$0\"",
         [](qint64 run, qint64 writer, const QString& fifo) {
             return ProgramName(writer) == "sleep" && UnreadInFifo(fifo) == 0 && WaitsInPoll(run);
         }},
    };
    Select("type2");
    for (const State& s : states) {
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
            SCOPED_TRACE(std::string(s.name) + ", signal " + std::to_string(sig));
            const QString fifo = MakeFifo(work);
            QProcess* writer = s.writer ? StartFifoWriter(fifo, s.writer) : nullptr;
            RunOptions o;
            o.args = {fifo};
            o.timeoutMs = 5000; // from the signal on: a stop is at once, the rest is room for a busy machine
            o.whileRunning = [&](QProcess& p) {
                const qint64 writerPid = writer ? writer->processId() : 0;
                EXPECT_TRUE(testsupport::WaitUntil([&] { return s.reached(p.processId(), writerPid, fifo); }, 30000))
                    << "the run never got there";
                ::kill(static_cast<pid_t>(p.processId()), sig);
            };
            const ProgramRun r = run(o);
            EndWriter(writer);
            ASSERT_TRUE(r.finished) << "the run did not stop";
            EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QLatin1String("was stopped"))) << r.err.toStdString();
            EXPECT_EQ(PdfCount(), 0);
        }
    }
}

namespace {

// Every path under a folder, as bytes relative to it.
QList<QByteArray> Tree(const QByteArray& folder, const QByteArray& prefix = {})
{
    QList<QByteArray> found;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* e = ::readdir(dir)) {
            const QByteArray name(e->d_name);
            if (name == "." || name == "..")
                continue;
            found << prefix + name;
            if (e->d_type == DT_DIR)
                found += Tree(folder + '/' + name, prefix + name + '/');
        }
        ::closedir(dir);
    }
    return found;
}

} // namespace

// Folder names from the environment are used as their bytes say, as file
// names on the command line are: never a look-alike folder with U+FFFD.
TEST_F(UnattendedBadInputTest, EnvironmentFoldersThatAreNotUtf8_AreUsedByTheirBytes)
{
    struct Case {
        const char* variable;
        QByteArray folder; // made in the work folder
        QStringList unset;
        QByteArray pdfUnder;      // where the PDF goes, under the folder
        QByteArray settingsUnder; // where the settings file goes, "" for elsewhere
    };
    const Case cases[] = {
        {"QUORVANE_PDF_DIR", "pdf\xff\xfe", {}, "", ""},
        {"XDG_CONFIG_HOME", "config\xe9", {}, "", "quorvane/quorvane.ini"},
        {"HOME", "home\xfe", {"XDG_CONFIG_HOME", "QUORVANE_PDF_DIR"}, "Documents/Quorvane", ".config/quorvane/quorvane.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable);
        testsupport::TempConfig fresh;
        Select("type2");
        const QByteArray work8 = QFile::encodeName(work.filePath(QString::fromLatin1(c.variable)));
        ASSERT_EQ(::mkdir(work8.constData(), 0700), 0);
        const QByteArray folder = work8 + '/' + c.folder;
        ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
        RunOptions o;
        o.args = {writeFile(QStringLiteral("a.txt"), "*A1\r\n")};
        o.env = {{QString::fromLatin1(c.variable), folder}};
        o.unset = c.unset;
        const ProgramRun r = run(o);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QList<QByteArray> tree = Tree(work8);
        for (const QByteArray& path : tree)
            EXPECT_FALSE(path.contains("\xef\xbf\xbd")) << "a look-alike: " << path.toStdString();
        const QByteArray pdfFolder = c.folder + (c.pdfUnder.isEmpty() ? "" : "/" + c.pdfUnder);
        if (c.variable != QByteArray("XDG_CONFIG_HOME")) {
            const bool pdfThere = std::any_of(tree.begin(), tree.end(), [&](const QByteArray& p) {
                return p.startsWith(pdfFolder + '/') && p.endsWith(".pdf") && !p.mid(pdfFolder.size() + 1).contains('/');
            });
            EXPECT_TRUE(pdfThere) << QByteArray(tree.join(' ')).toStdString();
        }
        if (!c.settingsUnder.isEmpty()) {
            EXPECT_TRUE(tree.contains(c.folder + '/' + c.settingsUnder)) << QByteArray(tree.join(' ')).toStdString();
        }
    }
}

// A signal stops any export at once, wherever it is: no temporary file is
// left, every file already named is whole, and the run exits 1 naming the
// last line finished. Without the stop the single export would be written
// (exit 0) and the batch would go on to its last line.
TEST_F(UnattendedBadInputTest, Signals_StopEveryExportWhereverItIs)
{
    QByteArray lines;
    for (int i = 1; i <= 3000; ++i)
        lines += "QV-" + QByteArray::number(i) + "\r\n";
    const QString linesFile = writeFile(QStringLiteral("lines.txt"), lines);
    const QString out = work.filePath(QStringLiteral("out"));
    struct Case {
        const char* name;
        QStringList args;
    };
    const Case cases[] = {
        {"one PNG of 30500 by 5500 pixels",
         {"export", "--type", "code39", "--text", "ABCDEFGHIJKLMNOPQRST", "--dpi", "4800", "--module-dots", "100", "--text-below",
          "--output", out + "/one.png"}},
        {"a batch of 3000 PNGs at 2400 dpi", {"export", "--type", "code39", "--batch", linesFile, "--dpi", "2400", "--output", out + "/~~~~.png"}},
    };
    for (const Case& c : cases) {
        const bool batch = c.args.contains(QStringLiteral("--batch"));
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
            SCOPED_TRACE(std::string(c.name) + ", signal " + std::to_string(sig));
            QDir(out).removeRecursively();
            QDir().mkpath(out);
            RunOptions o;
            o.args = c.args;
            o.timeoutMs = 5000; // from the signal on: room for a busy machine
            o.whileRunning = [&](QProcess& p) {
                // The batch is signalled once it has named its first file,
                // so that it stops among its files; the single export once
                // its picture's memory is in use, while it draws or encodes it.
                const auto there = [&] {
                    return batch ? !QDir(out).entryList({QStringLiteral("*.png")}, QDir::Files).isEmpty()
                                 : testsupport::ResidentKiB(p.processId()) >= 100 * 1024;
                };
                EXPECT_TRUE(testsupport::WaitUntil(there, 30000, 2)) << "the export never got there";
                ::kill(static_cast<pid_t>(p.processId()), sig);
            };
            const ProgramRun r = run(o);
            ASSERT_TRUE(r.finished) << "the export did not stop";
            EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QLatin1String("Stopped"))) << r.err.toStdString();
            const QStringList files = QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System);
            EXPECT_TRUE(files.filter(QStringLiteral(".part")).isEmpty()) << files.join(' ').toStdString();
            if (batch) {
                EXPECT_LT(files.size(), 3000) << "stopped before the end";
                qint64 last = 0;
                for (const QString& f : files) {
                    last = std::max(last, QFileInfo(f).baseName().toLongLong());
                    EXPECT_FALSE(QImage(QDir(out).filePath(f)).isNull()) << f.toStdString() << " is whole";
                }
                if (last > 0) {
                    EXPECT_TRUE(r.err.contains(QStringLiteral("Stopped after line %1;").arg(last))) << r.err.toStdString();
                }
            } else {
                EXPECT_TRUE(files.isEmpty()) << files.join(' ').toStdString();
                EXPECT_TRUE(r.err.contains(QLatin1String("nothing was written"))) << r.err.toStdString();
            }
        }
    }
}

// Every message of an export names the file it is about; Qt's own remarks
// never reach stderr; a batch tries every line and names those that failed.
TEST_F(UnattendedBadInputTest, ExportMessages_NameTheFile_AndEveryLineIsTried)
{
    const QString out = work.filePath(QStringLiteral("exports"));
    QDir().mkpath(out);
    QDir(out).mkdir(QStringLiteral("02.svg")); // a folder in line 2's way
    const QString lines = writeFile(QStringLiteral("three.txt"), "L1\r\nL2\r\nL3\r\n");
    struct Case {
        const char* why;
        QStringList args;
        long addressSpaceKiB;
        int exit;
        QStringList stderrHas; // "" for an empty stderr
        QStringList files;     // in the folder afterwards
    };
    const QString big = out + "/big.png", upc = out + "/upc.png", syriac = out + "/syriac.png";
    const Case cases[] = {
        {"a picture the memory can't hold",
         {"export", "--type", "code39", "--text", "ABCDEFGHIJKLMNOPQRST", "--dpi", "4800", "--module-dots", "100", "--text-below",
          "--output", big},
         250 * 1024, 1, {"There is not enough memory", big}, {"02.svg"}},
        {"a picture held, but not the steps after it", // once std::bad_alloc ended the program
         {"export", "--type", "code39", "--text", "ABCDEFGHIJKLMNOPQRST", "--dpi", "4800", "--module-dots", "100", "--text-below",
          "--output", big},
         300 * 1024, 1, {"There is not enough memory", big}, {"02.svg"}},
        {"a text the symbology can't encode", {"export", "--type", "upca", "--text", "123", "--output", upc}, 0, 1,
         {"nothing was written to " + upc}, {"02.svg"}},
        {"a character the font can't shape: Qt's warnings stay quiet; the program says what the bars hold",
         {"export", "--type", "code39", "--text", QStringLiteral("AB\u0710"), "--text-below", "--output", syriac}, 0, 0,
         {QStringLiteral("quorvane: the Code 39 barcode of \"AB\u0710\" holds AB (Code 39 can't encode \"\u0710\" (character 3))\n")},
         {"02.svg", "syriac.png"}},
        {"a batch with a folder in one line's way",
         {"export", "--type", "code39", "--batch", lines, "--output", out + "/~~.svg"}, 0, 1,
         {"line 2: Cannot write " + out + "/02.svg", "1 of the lines of " + lines + " gave no barcode file: line 2."},
         {"01.svg", "02.svg", "03.svg", "syriac.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        if (c.addressSpaceKiB && testsupport::kUnderAsan)
            continue; // no address-space limit under AddressSanitizer
        RunOptions o;
        o.args = c.args;
        o.addressSpaceKiB = c.addressSpaceKiB;
        const ProgramRun r = run(o);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        for (const QString& has : c.stderrHas) {
            if (has.isEmpty())
                EXPECT_EQ(r.err, QString());
            else
                EXPECT_TRUE(r.err.contains(has)) << r.err.toStdString();
        }
        EXPECT_FALSE(r.err.contains(QLatin1String("QPainter"))) << r.err.toStdString();
        EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), c.files);
    }
}
