// The built-in printer's PDFs, as an unattended run leaves them: a job
// that can't be finished (the disk fills up on its first or its last page,
// the run is killed) leaves no file under a final name, says why and exits
// non-zero; the next run clears what a killed one left.
#include "tests/support/Files.h"
#include "tests/support/UnattendedRun.h"
#include "tests/support/WaitUntil.h"

#include <QDir>

#include <csignal>

namespace {

struct PdfJobTest : ::testing::Test, testsupport::UnattendedRun {
    void SetUp() override
    {
        for (const char* k : {"type1", "type2", "type4", "type5", "type8", "type9"})
            Store(k, QString::fromLatin1(qstrcmp(k, "type2") == 0 ? "True" : "False"));
        Store("line", QStringLiteral("*"));
    }

    QStringList Files() const
    {
        return QDir(pdfDir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // The program run with its files held to `blocks` of 512 bytes, as a
    // disk that fills up: a write past the limit fails with an error.
    testsupport::ProgramRun withFileLimit(const QString& path, qint64 blocks)
    {
        testsupport::RunOptions o;
        o.args = QStringList{path};
        o.fileBlocks = blocks;
        return run(o);
    }
};

QByteArray Lines(int n)
{
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b += "*QV" + QByteArray::number(i) + "\r\n";
    return b;
}

} // namespace

TEST_F(PdfJobTest, DiskFullOnTheFirstOrTheLastPage_NoFileAndAnHonestExit)
{
    const QString path = writeFile(QStringLiteral("two-pages.txt"), Lines(40));
    const testsupport::ProgramRun whole = quorvane({path});
    ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
    const QStringList written = Files();
    ASSERT_EQ(written.size(), 1);
    const qint64 size = QFileInfo(QDir(pdfDir).filePath(written[0])).size();
    QFile::remove(QDir(pdfDir).filePath(written[0]));

    struct Case {
        const char* why;
        qint64 blocks;
    };
    const Case cases[] = {
        {"the first page does not fit", 1},
        {"the last bytes do not fit", (size - 1) / 512},
    };
    for (const Case& c : cases) {
        const testsupport::ProgramRun r = withFileLimit(path, c.blocks);
        ASSERT_TRUE(r.finished) << c.why;
        EXPECT_NE(r.exitCode, 0) << c.why;
        EXPECT_TRUE(r.err.contains(QLatin1String("Print to PDF file"))) << c.why << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.why << ": no path is reported for a file that was not written";
        EXPECT_EQ(Files(), QStringList()) << c.why;
    }
}

TEST_F(PdfJobTest, KilledRun_LeavesNoFinishedLookingFile_AndTheNextRunClearsItsLeftovers)
{
    const QString big = writeFile(QStringLiteral("big.txt"), Lines(100000));
    const testsupport::ProgramRun killed = quorvane({big}, 60000, [this](QProcess& p) {
        // Killed in the middle of the job: its temporary file holds pages.
        EXPECT_TRUE(testsupport::WaitUntil([this] { return testsupport::JobInProgressBytes(pdfDir) > 0; }, 30000))
            << "the job never wrote a page";
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
    });
    ASSERT_TRUE(killed.finished);
    EXPECT_EQ(QDir(pdfDir).entryList({QStringLiteral("*.pdf")}, QDir::Files), QStringList()) << "no file under a final name";

    const testsupport::ProgramRun next = quorvane({writeFile(QStringLiteral("small.txt"), "*OK\r\n")});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    const QStringList left = Files();
    ASSERT_EQ(left.size(), 1) << left.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(left[0].endsWith(QLatin1String(".pdf")));
}
