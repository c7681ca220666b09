// A job's PDF gets its final name only when whole, never through a link
// someone placed there, and leaves nothing behind when it fails.
#include "files/PdfFile.h"
#include "tests/support/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

using files::PdfFile;

using testsupport::Entries;
using testsupport::Read;

namespace {

} // namespace

TEST(PdfFile, CommitsUnderTheFirstFreeName_NeverThroughALinkPlacedThere)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("victim.txt"));
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    v.write("keep me");
    v.close();
    ASSERT_TRUE(QFile::link(victim, dir.filePath(QStringLiteral("job.pdf")))); // a trap at the would-be name
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("job-2.pdf")))); // dangling

    PdfFile pdf;
    ASSERT_TRUE(pdf.Create(dir.path()).ok());
    pdf.Device()->write("%PDF-1.4 whole");
    EXPECT_EQ(Entries(dir.path()).filter(QStringLiteral(".pdf.part")).size(), 1) << "written under a temporary name";
    const core::Result<QString> committed = pdf.Commit(QStringLiteral("job"));
    ASSERT_TRUE(committed.ok()) << committed.failure().text.toStdString();
    const QString path = *committed;
    EXPECT_EQ(path, dir.filePath(QStringLiteral("job-3.pdf")));
    EXPECT_EQ(Read(path), "%PDF-1.4 whole");
    EXPECT_EQ(Read(victim), "keep me");
    EXPECT_EQ(QFile::symLinkTarget(dir.filePath(QStringLiteral("job.pdf"))), victim);
    EXPECT_EQ(Entries(dir.path()), (QStringList{"job-2.pdf", "job-3.pdf", "job.pdf", "victim.txt"}));
}

TEST(PdfFile, FailuresLeaveNoFileBehind)
{
    struct Case {
        const char* why;
        std::function<void(PdfFile&, const QString& folder)> before;
    };
    const Case cases[] = {
        {"nothing was written", [](PdfFile&, const QString&) {}},
        {"the folder went away before the file got its name",
         [](PdfFile& pdf, const QString& folder) {
             pdf.Device()->write("%PDF");
             QDir(folder).removeRecursively();
         }},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("pdfs"));
        PdfFile pdf;
        ASSERT_TRUE(pdf.Create(folder).ok()) << c.why;
        c.before(pdf, folder);
        const core::Result<QString> committed = pdf.Commit(QStringLiteral("job"));
        ASSERT_TRUE(committed.failed()) << c.why;
        EXPECT_FALSE(committed.failure().text.isEmpty()) << c.why;
        EXPECT_TRUE(Entries(folder).isEmpty()) << c.why;
    }
}

TEST(PdfFile, TemporaryFilesOfEndedJobsAreRemoved_ThoseOfRunningJobsStay)
{
    QTemporaryDir dir;
    auto touch = [&](const QString& name) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
    };
    // A process that has ended: its pid is free again (the shell's child is reaped).
    QProcess ended;
    ended.start(QStringLiteral("true"));
    ended.waitForStarted();
    const qint64 endedPid = ended.processId();
    ended.waitForFinished();
    const QString abandoned = QStringLiteral(".Quorvane-%1-abc.pdf.part").arg(endedPid);
    touch(abandoned);
    // A job of this process still holding its file.
    const QString running = QStringLiteral(".Quorvane-%1-def.pdf.part").arg(QCoreApplication::applicationPid());
    touch(running);
    const int fd = ::open(QFile::encodeName(dir.filePath(running)).constData(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    touch(QStringLiteral("notes.pdf.part")); // not one of ours

    PdfFile::RemoveAbandoned(dir.path());
    const QStringList left = Entries(dir.path());
    EXPECT_FALSE(left.contains(abandoned));
    EXPECT_TRUE(left.contains(running));
    EXPECT_TRUE(left.contains(QStringLiteral("notes.pdf.part")));
    ::close(fd);
}
