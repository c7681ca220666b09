// What an unattended run says, and where it says it comes from: the file
// and line of a barcode that failed, the setting of a size no page holds,
// the stored printer that is not installed; and nothing of Qt's own.
#include "tests/support/TempConfig.h"
#include "tests/support/UnattendedRun.h"

#include <QDir>
#include <QFileInfo>

namespace {

struct UnattendedMessagesTest : ::testing::Test, testsupport::UnattendedRun {
    testsupport::TempConfig config;
};

struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> settings;
    QByteArray listing;
    int exit;
    std::vector<const char*> stderrHas; // "%1" stands for the listing's path
    bool printed;
};

} // namespace

TEST_F(UnattendedMessagesTest, EveryMessageSaysWhereItComesFrom)
{
    const Case cases[] = {
        {"a failing line by file and line", {{"type1", "False"}, {"type5", "True"}}, "*12\r\n*1\r\n*12A4\r\n", 1,
         {"%1:2: No barcode for \"1\": Code 2/5 needs at least 2 characters", "%1:3: 9 / Subscript out of range"}, true},
        {"a height no page holds, by its key", {{"text8", "10000"}}, "*A1\r\n", 1, {"text8 (Height) is 10000", "at most 25"}, false},
        {"a pattern symbol's limit is its own", {{"type1", "False"}, {"type4", "True"}, {"text8", "150"}}, "*A1\r\n", 1,
         {"at most 100"}, false},
        {"a font no page holds", {{"font", "5000"}}, "*A1\r\n", 1, {"font (Font Size) is 5000", "at most 400"}, false},
        {"EAN's height box is its font size", {{"type1", "False"}, {"type9", "True"}, {"text8", "900"}}, "*4006381333931\r\n", 1,
         {"text8 (Font Size) is 900"}, false},
        {"the stored printer missing: said, and nothing printed elsewhere", {{"c1opt", "Label-Nowhere"}}, "*A1\r\n", 1,
         {"\"Label-Nowhere\" stored in the settings (c1opt) is not installed", "Nothing was printed"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(config.path()).removeRecursively();
        QDir(pdfDir).removeRecursively();
        QDir().mkpath(pdfDir);
        Store("line", QStringLiteral("*"));
        for (const auto& [key, value] : c.settings)
            Store(key, QString::fromLatin1(value));
        const QString listing = writeFile(QStringLiteral("labels.txt"), c.listing);
        const testsupport::ProgramRun r = quorvane({listing});
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        for (const char* has : c.stderrHas) {
            const QString expected = QString::fromUtf8(has).replace(QLatin1String("%1"), listing);
            EXPECT_TRUE(r.err.contains(expected)) << "stderr lacks " << expected.toStdString() << "\n" << r.err.toStdString();
        }
        EXPECT_EQ(!QDir(pdfDir).entryList(QDir::Files).isEmpty(), c.printed) << r.err.toStdString();
    }
}

TEST_F(UnattendedMessagesTest, QtsOwnWarningsStayOffStderr)
{
    // A Syriac letter in a caption: Qt warns that its font lacks OpenType
    // support; the barcode prints, and stderr holds only the program's own
    // line that Code 39 leaves the letter out of the bars.
    Store("type1", QStringLiteral("False"));
    Store("type2", QStringLiteral("True"));
    Store("line", QStringLiteral("*"));
    Store("check2", QStringLiteral("1"));
    const QString listing = writeFile(QStringLiteral("syriac.txt"), "*A\xdc\x90" "B\r\n");
    const testsupport::ProgramRun r = quorvane({listing});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.err.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 1) << r.err.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("holds AB (Code 39 can't encode \"\u0710\" (character 2))"))) << r.err.toStdString();
}

TEST_F(UnattendedMessagesTest, AStoreThatCantBeRead_IsSaidAtStart_AndTheRunGoesOnWithTheDefaults)
{
    QDir().mkpath(QFileInfo(config.iniFile()).absolutePath());
    ASSERT_TRUE(QFile::link(config.path() + QStringLiteral("/nowhere.ini"), config.iniFile()));
    const QString listing = writeFile(QStringLiteral("a.txt"), "A1\r\n");
    const testsupport::ProgramRun r = quorvane({listing});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QLatin1String("quorvane: The settings can't be read: "))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QLatin1String("a link to nothing"))) << r.err.toStdString();
    EXPECT_FALSE(QDir(pdfDir).entryList(QDir::Files).isEmpty());
}

TEST_F(UnattendedMessagesTest, ABarcodeHoldingAnotherText_IsNamed_AndFailsWithStrict)
{
    Store("type1", QStringLiteral("False"));
    Store("type5", QStringLiteral("True"));
    Store("line", QStringLiteral("*"));
    const QString listing = writeFile(QStringLiteral("odd.txt"), "*1234\r\n*123\r\n");
    const testsupport::ProgramRun plain = quorvane({QStringLiteral("print"), listing});
    EXPECT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_TRUE(plain.err.contains(listing + QStringLiteral(":2: the Code 2/5 barcode of \"123\" holds 1230 (a 0 was added")))
        << plain.err.toStdString();
    const testsupport::ProgramRun strict = quorvane({QStringLiteral("print"), listing, QStringLiteral("--strict")});
    EXPECT_EQ(strict.exitCode, 1) << strict.err.toStdString();
    EXPECT_TRUE(strict.err.contains(listing + QStringLiteral(":2: the Code 2/5 barcode"))) << strict.err.toStdString();

    const QString svg = work.filePath(QStringLiteral("odd.svg"));
    const QStringList exportOdd{QStringLiteral("export"), QStringLiteral("--type"), QStringLiteral("code25"),
                                QStringLiteral("--text"), QStringLiteral("123"), QStringLiteral("--output"), svg};
    const testsupport::ProgramRun named = quorvane(exportOdd);
    EXPECT_EQ(named.exitCode, 0) << named.err.toStdString();
    EXPECT_TRUE(named.err.contains(QLatin1String("holds 1230"))) << named.err.toStdString();
    QFile::remove(svg);
    const testsupport::ProgramRun refused = quorvane(exportOdd + QStringList{QStringLiteral("--strict")});
    EXPECT_EQ(refused.exitCode, 1) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(svg)) << "nothing written for it";
}
