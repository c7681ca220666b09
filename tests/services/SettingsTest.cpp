#include "core/TextCodec.h"
#include "services/Settings.h"
#include "tests/support/PrintTo.h"
#include "tests/support/TempConfig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using services::GetSetting;
using services::SaveSetting;

namespace {

QByteArray ProbeBytes(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(SETTINGS_PROBE), args);
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}

QString Probe(const QStringList& args) { return QString::fromUtf8(ProbeBytes(args)); }

// What a second process reads, or "<blocked>" when it is still reading
// after five seconds (then it is ended).
QString ProbeWithin(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(SETTINGS_PROBE), args);
    if (p.waitForFinished(5000))
        return QString::fromUtf8(p.readAllStandardOutput());
    p.kill();
    p.waitForFinished(5000);
    return QStringLiteral("<blocked>");
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteIni(const testsupport::TempConfig& config, const QByteArray& text)
{
    QDir().mkpath(config.path() + "/quorvane");
    QFile f(config.iniFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

TEST(Settings, MissingEntriesGiveTheDefault)
{
    testsupport::TempConfig config;
    EXPECT_EQ(GetSetting("Quorvane", "options", "text9", "500"), QStringLiteral("500"));
    EXPECT_EQ(GetSetting("Nobody", "nowhere", "nothing"), QString());
}

TEST(Settings, NamesAreCaseInsensitive)
{
    testsupport::TempConfig config;
    ASSERT_TRUE(SaveSetting("Stavelon", "FileSettings", "File1Path", "/tmp/a").ok());
    EXPECT_EQ(GetSetting("stavelon", "filesettings", "file1Path"), QStringLiteral("/tmp/a"));
    ASSERT_TRUE(SaveSetting("STAVELON", "FILESETTINGS", "FILE1PATH", "/tmp/b").ok());
    EXPECT_EQ(GetSetting("Stavelon", "FileSettings", "File1Path"), QStringLiteral("/tmp/b"));
}

TEST(Settings, ValuesRoundTripUnchanged)
{
    testsupport::TempConfig config;
    const QString values[] = {
        QString(), QStringLiteral(" "), QStringLiteral("a, b, c"), QStringLiteral("x=y;z"), QStringLiteral("c:\\files\\order1.txt"),
        QStringLiteral("\"quoted\""), QStringLiteral("#not a comment"), QStringLiteral("[section]"), QStringLiteral("ünï €"),
        QStringLiteral("line\nbreak"), QString(300, QLatin1Char('x')),
    };
    for (const QString& v : values) {
        ASSERT_TRUE(SaveSetting("Quorvane", "options", "line", v).ok());
        EXPECT_EQ(GetSetting("Quorvane", "options", "line", "<default>"), v);
    }
}

TEST(Settings, AnEmptiedValueReadsEmptyNotDefault)
{
    testsupport::TempConfig config;
    EXPECT_TRUE(SaveSetting("Quorvane", "options", "text8", "").ok());
    EXPECT_EQ(GetSetting("Quorvane", "options", "text8", "1.4"), QString());
}

TEST(Settings, ASecondProcessReadsAWriteAtOnce)
{
    testsupport::TempConfig config;
    EXPECT_TRUE(SaveSetting("Quorvane", "options", "font", "12").ok());
    EXPECT_EQ(Probe({"get", "Quorvane", "options", "FONT"}), QStringLiteral("12"));
}

TEST(Settings, AWriteSurvivesTheProcessBeingKilled)
{
    testsupport::TempConfig config;
    EXPECT_TRUE(SaveSetting("Quorvane", "options", "line", "before").ok());
    Probe({"set-and-die", "Quorvane", "options", "line", "after"});
    EXPECT_EQ(GetSetting("Quorvane", "options", "line"), QStringLiteral("after"));
}

TEST(Settings, GarbageFileReadsAsDefaultsAndCanBeWrittenAgain)
{
    testsupport::TempConfig config;
    QDir().mkpath(config.path() + "/quorvane");
    QFile f(config.iniFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(static_cast<char>((i * 131 + 7) % 256));
    f.write(junk);
    f.close();
    EXPECT_EQ(GetSetting("Quorvane", "options", "text9", "500"), QStringLiteral("500"));
    EXPECT_TRUE(SaveSetting("Quorvane", "options", "text9", "640").ok());
    EXPECT_EQ(GetSetting("Quorvane", "options", "text9", "500"), QStringLiteral("640"));
}

TEST(Settings, ADirectoryInPlaceOfTheFile_DefaultsAndAReasonForTheFailedWrite)
{
    testsupport::TempConfig config;
    QDir().mkpath(config.iniFile());
    EXPECT_EQ(GetSetting("Quorvane", "options", "text9", "500"), QStringLiteral("500"));
    const core::Status saved = SaveSetting("Quorvane", "options", "text9", "640");
    ASSERT_TRUE(saved.failed());
    EXPECT_TRUE(saved.failure().text.contains(config.iniFile())) << saved.failure().text.toStdString();
}

// An INI file written by hand spells names as its writer likes.
TEST(Settings, HandWrittenMixedCase_IsReadAndAWriteReplacesTheEntryInPlace)
{
    testsupport::TempConfig config;
    WriteIni(config, "[Options]\r\nType2=True\r\nLine=#\r\n");
    EXPECT_EQ(GetSetting("Quorvane", "options", "type2"), QStringLiteral("True"));
    EXPECT_EQ(GetSetting("Quorvane", "options", "line"), QStringLiteral("#"));

    ASSERT_TRUE(SaveSetting("Quorvane", "options", "type2", "False").ok());
    ASSERT_TRUE(SaveSetting("Quorvane", "options", "text9", "640").ok());
    const QString ini = QString::fromUtf8(ReadFile(config.iniFile()));
    EXPECT_EQ(ini.count(QStringLiteral("type2="), Qt::CaseInsensitive), 1) << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("Type2=False"))) << ini.toStdString();
    EXPECT_FALSE(ini.contains(QStringLiteral("[options]"))) << "a new key joins the section as it is spelled";
    EXPECT_EQ(Probe({"get", "quorvane", "OPTIONS", "Text9"}), QStringLiteral("640"));

    // Two spellings of one entry: a write leaves one, with the new value.
    WriteIni(config, "[options]\ntype2=True\n[OPTIONS]\nTYPE2=False\n");
    ASSERT_TRUE(SaveSetting("Quorvane", "Options", "Type2", "True").ok());
    EXPECT_EQ(QString::fromUtf8(ReadFile(config.iniFile())).count(QStringLiteral("type2="), Qt::CaseInsensitive), 1);
    EXPECT_EQ(Probe({"get", "Quorvane", "options", "type2"}), QStringLiteral("True"));
}

// Read back by a second process, from the file: what is on disk, not a cache.
TEST(Settings, LongValuesAndFileNamesThatAreNotUtf8_ComeBackAsTheyWere)
{
    testsupport::TempConfig config;
    const QByteArray nameBytes("/tmp/caf\xe9 \xc3\xa9.txt");
    struct Row { QString value; QByteArray bytes; const char* why; };
    const Row rows[] = {
        {QString(32767, QLatin1Char('x')), QByteArray(32767, 'x'), "as much as a text box takes"},
        {core::FromLocalBytes(nameBytes), nameBytes, "a Windows-1252 byte in a UTF-8 file name"},
        {QStringLiteral("caf\u00e9"), "caf\xc3\xa9", "plain UTF-8 stays text"},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(SaveSetting("Quorvane", "options", "file", r.value).ok()) << r.why;
        EXPECT_EQ(ProbeBytes({"get", "Quorvane", "options", "file"}), r.bytes) << r.why;
    }
}

TEST(Settings, NoHomeFolder_DefaultsAndWritesFailWithTheReason)
{
    testsupport::TempConfig config;
    const QByteArray home = qgetenv("HOME");
    qunsetenv("HOME");
    qunsetenv("XDG_CONFIG_HOME");
    const QString problem = services::SettingsProblem();
    const QString read = GetSetting("Quorvane", "options", "text9", "500");
    const core::Status written = SaveSetting("Quorvane", "options", "text9", "640");
    const bool saved = written.ok();
    const QString error = saved ? QString() : written.failure().text;
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    EXPECT_TRUE(problem.contains(QStringLiteral("HOME"))) << problem.toStdString();
    EXPECT_EQ(read, QStringLiteral("500"));
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, problem);
}

namespace {

QByteArray Bytes(const QString& path) { return QFile::encodeName(path); }

// The file a store's link points to, as it was: same inode, same bytes.
struct Snapshot {
    bool exists = false;
    ino_t inode = 0;
    QByteArray bytes;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};
Snapshot Take(const QString& path)
{
    struct stat st;
    if (::lstat(Bytes(path).constData(), &st) != 0)
        return {};
    return {true, st.st_ino, S_ISREG(st.st_mode) ? ReadFile(path) : QByteArray()};
}

constexpr uid_t kOtherUser = 65534; // nobody

// The names in a folder as their bytes, links to nothing included.
QList<QByteArray> Names(const QByteArray& folder)
{
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* e = ::readdir(dir))
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                names << QByteArray(e->d_name);
        ::closedir(dir);
    }
    return names;
}

} // namespace

// The store follows a link only to a regular file of the user's in a
// folder nobody else can write to; anything else reads as the defaults,
// is never written or replaced, and a write says why it failed.
TEST(Settings, WhatTheStoreIs_DecidesWhetherItIsReadAndWritten)
{
    struct Case {
        const char* why;
        // Makes the store at `ini` and returns the file whose contents must survive.
        std::function<QString(const QString& ini, const QString& elsewhere)> make;
        bool used;
        const char* reason; // part of the write's failure
        bool needsRoot = false;
    };
    const QByteArray stored = "[options]\ntext9=640\n";
    const auto file = [&](const QString& path, uid_t owner = ::geteuid()) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(stored);
        f.close();
        EXPECT_EQ(::chown(Bytes(path).constData(), owner, static_cast<gid_t>(-1)), 0);
        return path;
    };
    const auto link = [](const QString& target, const QString& ini) { EXPECT_EQ(::symlink(Bytes(target), Bytes(ini)), 0); };
    const Case cases[] = {
        {"a plain file", [&](const QString& ini, const QString&) { return file(ini); }, true, ""},
        {"a link to the user's file in the user's own folder",
         [&](const QString& ini, const QString& elsewhere) {
             link(file(elsewhere + "/dotfiles.ini"), ini);
             return elsewhere + "/dotfiles.ini";
         },
         true, ""},
        {"a link into a folder others can write to",
         [&](const QString& ini, const QString& elsewhere) {
             ::chmod(Bytes(elsewhere).constData(), 0777);
             link(file(elsewhere + "/shared.ini"), ini);
             return elsewhere + "/shared.ini";
         },
         false, "a folder others can write to"},
        {"a dangling link",
         [&](const QString& ini, const QString& elsewhere) {
             link(elsewhere + "/missing.ini", ini);
             return elsewhere + "/missing.ini";
         },
         false, "a link to nothing"},
        {"a link to a device node made in the test's folder",
         [&](const QString& ini, const QString& elsewhere) {
             const QString node = elsewhere + "/null";
             EXPECT_EQ(::mknod(Bytes(node).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
             link(node, ini);
             return node;
         },
         false, "a device", true},
        {"a link to a folder",
         [&](const QString& ini, const QString& elsewhere) {
             link(elsewhere, ini);
             return elsewhere;
         },
         false, "a link to a folder"},
        {"a link made by another user",
         [&](const QString& ini, const QString& elsewhere) {
             link(file(elsewhere + "/mine.ini"), ini);
             EXPECT_EQ(::lchown(Bytes(ini).constData(), kOtherUser, static_cast<gid_t>(-1)), 0);
             return elsewhere + "/mine.ini";
         },
         false, "another user", true},
        {"a link to another user's file",
         [&](const QString& ini, const QString& elsewhere) {
             link(file(elsewhere + "/theirs.ini", kOtherUser), ini);
             return elsewhere + "/theirs.ini";
         },
         false, "another user", true},
        {"another user's file", [&](const QString& ini, const QString&) { return file(ini, kOtherUser); }, false,
         "another user", true},
        {"a FIFO",
         [&](const QString& ini, const QString&) {
             EXPECT_EQ(::mkfifo(Bytes(ini).constData(), 0600), 0);
             return ini;
         },
         false, "FIFO"},
        {"a file over 1 MiB",
         [&](const QString& ini, const QString&) {
             file(ini);
             QFile f(ini);
             f.open(QIODevice::Append);
             f.write("[more]\nkey=" + QByteArray(services::kMaxSettingsBytes, 'x') + "\n");
             return ini;
         },
         false, "larger than 1 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        if (c.needsRoot && ::geteuid() != 0)
            continue; // only root makes device nodes and gives files away
        testsupport::TempConfig config;
        QTemporaryDir elsewhere;
        ::chmod(Bytes(elsewhere.path()).constData(), 0700);
        QDir().mkpath(config.path() + "/quorvane");
        const QString kept = c.make(config.iniFile(), elsewhere.path());
        const Snapshot before = Take(kept);

        EXPECT_EQ(ProbeWithin({"get", "Quorvane", "options", "text9"}), c.used ? "640" : "<absent>") << "never blocks";
        EXPECT_EQ(GetSetting("Quorvane", "options", "text9", "500"), c.used ? "640" : "500");
        EXPECT_EQ(services::SettingsFileProblem("Quorvane").isEmpty(), c.used) << services::SettingsFileProblem("Quorvane").toStdString();
        const core::Status saved = SaveSetting("Quorvane", "options", "text8", "2");
        EXPECT_EQ(saved.ok(), c.used);
        if (c.used) {
            EXPECT_EQ(Probe({"get", "Quorvane", "options", "text8"}), "2");
            EXPECT_TRUE(ReadFile(kept).contains("text8=2")) << "written through the link";
            continue;
        }
        const QString error = saved.failure().text;
        EXPECT_TRUE(error.contains(config.iniFile())) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.reason))) << error.toStdString();
        EXPECT_TRUE(Take(kept) == before) << "neither written nor replaced";
        EXPECT_EQ(Names(Bytes(config.path() + "/quorvane")), QList<QByteArray>{"quorvane.ini"})
            << "no file made beside it";
    }
}

TEST(Settings, ValuesAreHeldToWhatATextBoxTakes)
{
    testsupport::TempConfig config;
    const QString emoji = QStringLiteral("\U0001F600");
    struct Row { QString written; QString read; const char* why; };
    const Row rows[] = {
        {QString(40000, 'x'), QString(32767, 'x'), "cut to 32767"},
        {QString(32766, 'x') + emoji, QString(32766, 'x'), "never half a character"},
        {QString(32765, 'x') + emoji, QString(32765, 'x') + emoji, "a whole one that fits stays"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.why);
        ASSERT_TRUE(SaveSetting("Quorvane", "options", "line", r.written).ok());
        EXPECT_EQ(GetSetting("Quorvane", "options", "line"), r.read);
    }
    // A value written by hand past the limit reads cut as well.
    WriteIni(config, "[options]\nfont=" + QByteArray(100000, '9') + "\n");
    EXPECT_EQ(GetSetting("Quorvane", "options", "font").size(), services::kMaxSettingValue);
}
