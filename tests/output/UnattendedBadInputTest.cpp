// Unattended runs on input that other programs or accidents produce: the
// run always ends by itself, says what went wrong on stderr, exits non-zero
// exactly when something did not print as asked, and leaves the settings
// store usable for the next run.
#include "platform/Settings.h"
#include "tests/output/UnattendedRun.h"
#include "tests/support/Printers.h"
#include "tests/support/TempConfig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <csignal>

using testsupport::ProgramRun;

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
};

} // namespace

TEST_F(UnattendedBadInputTest, BatchFiles_EndByThemselvesWithAnHonestExitStatus)
{
    const BadBatchInput cases[] = {
        {"binary", "type2", RandomBytes(64 * 1024, 7), false, "", 1,
         "Code 39 leaves out what it can't encode without a message; the listing prints"},
        {"binary-128", "type1", QByteArray("*A\x01" "B\r\n") + RandomBytes(16 * 1024, 9), true, "Unknow Error", 1,
         "Code 128 B refuses control characters with its message; the rest of the file still prints"},
        {"nul-and-high", "type1", QByteArray("*AB\0CD\r\n*\xe9t\xe9\r\n", 14), true, "Unknow Error", 1,
         "NUL and accented letters are outside Code 128 B: one message per line"},
        {"nul-and-high-39", "type2", QByteArray("*AB\0CD\r\n*\xe9t\xe9\r\n", 14), false, "", 1,
         "Code 39 skips them silently, as it skips every character it lacks"},
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
            EXPECT_TRUE(r.err.trimmed().isEmpty() || !r.err.contains(QLatin1String("Quorvane:"))) << r.err.toStdString();
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

TEST_F(UnattendedBadInputTest, PrinterNameOf10000Characters_FallsBackToTheDefaultPrinter)
{
    Select("type2");
    Store("c1opt", QString(10000, QLatin1Char('P')));
    const ProgramRun r = quorvane({writeFile(QStringLiteral("a.txt"), "*A1\r\n")});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PdfCount(), 1);
}

TEST_F(UnattendedBadInputTest, DamagedSettingsStore_RunsWithTheDefaults)
{
    struct Case { const char* name; std::function<void(const QString& ini)> damage; };
    const Case cases[] = {
        {"garbage", [](const QString& ini) {
             QDir().mkpath(QFileInfo(ini).absolutePath());
             QFile f(ini);
             f.open(QIODevice::WriteOnly);
             f.write(RandomBytes(4096, 3));
         }},
        {"a folder", [](const QString& ini) { QDir().mkpath(ini); }},
        {"an unwritable settings folder", [](const QString& ini) {
             // A file where the settings folder should be: no write can
             // succeed there, whoever runs the test (root ignores modes).
             const QString folder = QFileInfo(ini).absolutePath();
             QDir(folder).removeRecursively();
             QFile f(folder);
             f.open(QIODevice::WriteOnly);
         }},
    };
    for (const auto& c : cases) {
        testsupport::TempConfig fresh;
        c.damage(fresh.iniFile());
        const ProgramRun r = quorvane({writeFile(QStringLiteral("a.txt"), "A1\r\n")}); // default: every line a code line
        ASSERT_TRUE(r.finished) << c.name;
        EXPECT_EQ(r.exitCode, 0) << c.name << "\n" << r.err.toStdString();
        EXPECT_EQ(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 1) << c.name << ": one PDF written";
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
        // Once the job's file exists the run is printing lines: stop it then.
        QElapsedTimer t;
        t.start();
        while (PdfCount() == 0 && t.elapsed() < 30000 && p.state() == QProcess::Running)
            QThread::msleep(20);
        QThread::msleep(200);
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    });
    ASSERT_TRUE(stopped.finished) << "the run did not stop";
    EXPECT_NE(stopped.exitCode, 0);
    EXPECT_TRUE(stopped.err.contains(QLatin1String("stopped"))) << stopped.err.toStdString();
    EXPECT_EQ(PdfCount(), 0) << "no half-written job is left";
    EXPECT_EQ(platform::GetSetting("Quorvane", "options", "text9"), QStringLiteral("640"));
    EXPECT_EQ(platform::GetSetting("Quorvane", "options", "file"), path);

    const ProgramRun next = quorvane({writeFile(QStringLiteral("small.txt"), "*OK\r\n")});
    ASSERT_TRUE(next.finished);
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_EQ(PdfCount(), 1);
}
