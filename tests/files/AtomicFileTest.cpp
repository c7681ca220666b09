// An unnamed file gets its final name only when whole: a free name is
// linked, a taken one (a file, a symlink) is replaced by rename keeping
// the replaced file's permissions and never written through, a name
// claimed only when free, and nothing is left when the file is dropped.
#include "files/AtomicFile.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using files::AtomicFile;

using testsupport::Entries;
using testsupport::Read;

namespace {

void Write(const QString& path, const QByteArray& bytes, int mode)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    ::chmod(QFile::encodeName(path).constData(), mode);
}

int Mode(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : -1;
}

} // namespace

// By its path, and by its name in a folder held open for many files.
TEST(AtomicFile, Unnamed_NamedWhole_ReplacingAFileOrALinkItself)
{
    for (const bool held : {false, true}) {
        SCOPED_TRACE(held ? "in a held folder" : "by path");
        QTemporaryDir dir;
        const QString victim = dir.filePath(QStringLiteral("victim.txt"));
        Write(victim, "keep me", 0644);
        Write(dir.filePath(QStringLiteral("old.svg")), "old", 0600);
        ASSERT_TRUE(QFile::link(victim, dir.filePath(QStringLiteral("link.svg"))));
        const files::FileFolder folder(dir.path());
        struct Case {
            const char* name;
            int mode; // of the file named
        };
        ::umask(022);
        for (const Case c : {Case{"new.svg", 0644}, Case{"old.svg", 0600}, Case{"link.svg", 0644}}) {
            SCOPED_TRACE(c.name);
            AtomicFile file;
            const core::Status created = held ? file.CreateUnnamed(folder, QStringLiteral(".svg.part"))
                                              : file.CreateUnnamed(dir.path(), QStringLiteral(".svg.part"));
            ASSERT_TRUE(created.ok()) << created.failure().text.toStdString();
            EXPECT_FALSE(Entries(dir.path()).join(' ').contains(QStringLiteral(".part"))) << "no name while it is written";
            ASSERT_TRUE(file.Write("whole"));
            EXPECT_TRUE(file.Flush().ok());
            const QString target = dir.filePath(QString::fromLatin1(c.name));
            const core::Status named = held ? file.ReplaceAs(folder, QString::fromLatin1(c.name)) : file.ReplaceAs(target);
            ASSERT_TRUE(named.ok()) << named.failure().text.toStdString();
            EXPECT_EQ(Read(target), "whole");
            EXPECT_EQ(Mode(target), c.mode);
            EXPECT_TRUE(QFileInfo(target).symLinkTarget().isEmpty()) << "the link itself is replaced";
        }
        EXPECT_EQ(Read(victim), "keep me");
        EXPECT_EQ(Entries(dir.path()), (QStringList{"link.svg", "new.svg", "old.svg", "victim.txt"}));
    }
}

TEST(AtomicFile, Unnamed_ClaimedOnlyWhenFree_AndDroppedWithoutATrace)
{
    QTemporaryDir dir;
    Write(dir.filePath(QStringLiteral("a.pdf")), "taken", 0644);
    AtomicFile file;
    ASSERT_TRUE(file.CreateUnnamed(dir.path(), QStringLiteral(".pdf.part")).ok());
    ASSERT_TRUE(file.Write("%PDF"));
    EXPECT_EQ(file.ClaimAs(dir.filePath(QStringLiteral("a.pdf"))).value_or(AtomicFile::Naming::Taken), AtomicFile::Naming::Taken);
    EXPECT_EQ(file.ClaimAs(dir.filePath(QStringLiteral("b.pdf"))).value_or(AtomicFile::Naming::Taken), AtomicFile::Naming::Named);
    EXPECT_EQ(Read(dir.filePath(QStringLiteral("a.pdf"))), "taken");
    EXPECT_EQ(Read(dir.filePath(QStringLiteral("b.pdf"))), "%PDF");

    AtomicFile dropped;
    ASSERT_TRUE(dropped.CreateUnnamed(dir.path(), QStringLiteral(".pdf.part")).ok());
    ASSERT_TRUE(dropped.Write("half"));
    dropped.Discard();
    EXPECT_EQ(Entries(dir.path()), (QStringList{"a.pdf", "b.pdf"}));
}
