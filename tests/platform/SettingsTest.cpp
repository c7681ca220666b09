#include "platform/Settings.h"
#include "tests/support/Printers.h"
#include "tests/support/TempConfig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using platform::GetSetting;
using platform::SaveSetting;

namespace {

QString Probe(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(SETTINGS_PROBE), args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
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
