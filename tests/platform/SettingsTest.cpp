#include "platform/Settings.h"
#include "platform/TextCodec.h"
#include "tests/support/Printers.h"
#include "tests/support/TempConfig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using platform::GetSetting;
using platform::SaveSetting;

namespace {

QByteArray ProbeBytes(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(SETTINGS_PROBE), args);
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}

QString Probe(const QStringList& args) { return QString::fromUtf8(ProbeBytes(args)); }

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
    ASSERT_TRUE(SaveSetting("Stavelon", "FileSettings", "File1Path", "/tmp/a"));
    EXPECT_EQ(GetSetting("stavelon", "filesettings", "file1Path"), QStringLiteral("/tmp/a"));
    ASSERT_TRUE(SaveSetting("STAVELON", "FILESETTINGS", "FILE1PATH", "/tmp/b"));
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
        ASSERT_TRUE(SaveSetting("Quorvane", "options", "line", v));
        EXPECT_EQ(GetSetting("Quorvane", "options", "line", "<default>"), v);
    }
}

TEST(Settings, AnEmptiedValueReadsEmptyNotDefault)
{
    testsupport::TempConfig config;
    SaveSetting("Quorvane", "options", "text8", "");
    EXPECT_EQ(GetSetting("Quorvane", "options", "text8", "1.4"), QString());
}

TEST(Settings, ASecondProcessReadsAWriteAtOnce)
{
    testsupport::TempConfig config;
    SaveSetting("Quorvane", "options", "font", "12");
    EXPECT_EQ(Probe({"get", "Quorvane", "options", "FONT"}), QStringLiteral("12"));
}

TEST(Settings, AWriteSurvivesTheProcessBeingKilled)
{
    testsupport::TempConfig config;
    SaveSetting("Quorvane", "options", "line", "before");
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
    EXPECT_TRUE(SaveSetting("Quorvane", "options", "text9", "640"));
    EXPECT_EQ(GetSetting("Quorvane", "options", "text9", "500"), QStringLiteral("640"));
}

TEST(Settings, ADirectoryInPlaceOfTheFile_DefaultsAndAReasonForTheFailedWrite)
{
    testsupport::TempConfig config;
    QDir().mkpath(config.iniFile());
    EXPECT_EQ(GetSetting("Quorvane", "options", "text9", "500"), QStringLiteral("500"));
    EXPECT_FALSE(SaveSetting("Quorvane", "options", "text9", "640"));
    EXPECT_TRUE(platform::SettingsError().contains(config.iniFile())) << platform::SettingsError().toStdString();
}

// An INI file written by hand spells names as its writer likes.
TEST(Settings, HandWrittenMixedCase_IsReadAndAWriteReplacesTheEntryInPlace)
{
    testsupport::TempConfig config;
    WriteIni(config, "[Options]\r\nType2=True\r\nLine=#\r\n");
    EXPECT_EQ(GetSetting("Quorvane", "options", "type2"), QStringLiteral("True"));
    EXPECT_EQ(GetSetting("Quorvane", "options", "line"), QStringLiteral("#"));

    ASSERT_TRUE(SaveSetting("Quorvane", "options", "type2", "False"));
    ASSERT_TRUE(SaveSetting("Quorvane", "options", "text9", "640"));
    const QString ini = QString::fromUtf8(ReadFile(config.iniFile()));
    EXPECT_EQ(ini.count(QStringLiteral("type2="), Qt::CaseInsensitive), 1) << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("Type2=False"))) << ini.toStdString();
    EXPECT_FALSE(ini.contains(QStringLiteral("[options]"))) << "a new key joins the section as it is spelled";
    EXPECT_EQ(Probe({"get", "quorvane", "OPTIONS", "Text9"}), QStringLiteral("640"));

    // Two spellings of one entry: a write leaves one, with the new value.
    WriteIni(config, "[options]\ntype2=True\n[OPTIONS]\nTYPE2=False\n");
    ASSERT_TRUE(SaveSetting("Quorvane", "Options", "Type2", "True"));
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
        {QString(100000, QLatin1Char('x')), QByteArray(100000, 'x'), "far past a text box's 32767"},
        {platform::FromLocalBytes(nameBytes), nameBytes, "a Windows-1252 byte in a UTF-8 file name"},
        {QStringLiteral("caf\u00e9"), "caf\xc3\xa9", "plain UTF-8 stays text"},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(SaveSetting("Quorvane", "options", "file", r.value)) << r.why;
        EXPECT_EQ(ProbeBytes({"get", "Quorvane", "options", "file"}), r.bytes) << r.why;
    }
}

TEST(Settings, NoHomeFolder_DefaultsAndWritesFailWithTheReason)
{
    testsupport::TempConfig config;
    const QByteArray home = qgetenv("HOME");
    qunsetenv("HOME");
    qunsetenv("XDG_CONFIG_HOME");
    const QString problem = platform::SettingsProblem();
    const QString read = GetSetting("Quorvane", "options", "text9", "500");
    const bool saved = SaveSetting("Quorvane", "options", "text9", "640");
    const QString error = platform::SettingsError();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    EXPECT_TRUE(problem.contains(QStringLiteral("HOME"))) << problem.toStdString();
    EXPECT_EQ(read, QStringLiteral("500"));
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, problem);
}
