// Layouts kept in the settings, as an unattended run meets them: one no
// longer there stops every form of printing with one message, one that
// can't be read is named, and none is hidden or breaks the list.
#include "tests/support/TempConfig.h"
#include "tests/support/UnattendedRun.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

struct StoredLayoutRun : ::testing::Test, testsupport::UnattendedRun {
    testsupport::TempConfig config;

    static void StoreLayout(int n, const QString& name, const QString& value)
    {
        for (const auto& [key, v] : {std::pair{QStringLiteral("name%1").arg(n), name}, std::pair{QStringLiteral("value%1").arg(n), value}})
            EXPECT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("layouts"), key, v).ok());
        EXPECT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("layouts"), QStringLiteral("count"),
                                          QString::number(n))
                        .ok());
    }
    bool pdfWritten() const { return !QDir(pdfDir).entryList(QDir::Files).isEmpty(); }
};

const QString kLayout = QStringLiteral("page=210x297;label=63.5x38.1;grid=3x7;pitch=66.04x38.1;margins=7.25,15.15;unit=mm");

} // namespace

TEST_F(StoredLayoutRun, ALayoutNoLongerThere_StopsEveryFormOfPrinting_WithOneMessage)
{
    Store("line", QStringLiteral("*"));
    Store("layout", QStringLiteral("Shelf tags"));
    const QString listing = writeFile(QStringLiteral("codes.txt"), "*QV-1\r\n");
    const QStringList forms[] = {
        {QStringLiteral("print"), listing},
        {QStringLiteral("print"), QStringLiteral("--dry-run"), listing},
        {QStringLiteral("print-range"), QStringLiteral("--from"), QStringLiteral("1"), QStringLiteral("--to"), QStringLiteral("3")},
        {QStringLiteral("print-range"), QStringLiteral("--from"), QStringLiteral("1"), QStringLiteral("--to"), QStringLiteral("3"),
         QStringLiteral("--dry-run")},
    };
    for (const QStringList& args : forms) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const testsupport::ProgramRun r = quorvane(args);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("There is no layout named \"Shelf tags\".")) && r.err.contains(QStringLiteral("Nothing was printed.")))
            << r.err.toStdString();
        EXPECT_FALSE(pdfWritten());
    }
}

TEST_F(StoredLayoutRun, SavedLayoutsThatCantBeUsed_AreNamed_NotHidden)
{
    struct Case {
        const char* why;
        QString name, value;
        QStringList args;
        int exit;
        QString said; // on stdout for `layouts`, else on stderr
    };
    const Case cases[] = {
        {"a name with a tab and a line break keeps one layout a line", QStringLiteral("Shelf\ttags\nA4"), kLayout,
         {QStringLiteral("layouts")}, 0, QStringLiteral("\nShelf\\ttags\\nA4\tA4\t3 × 7\t")},
        {"a saved layout named as a built-in one is offered, marked as saved", QStringLiteral("Avery L7160"), kLayout,
         {QStringLiteral("layouts")}, 0, QStringLiteral("\nAvery L7160 (saved)\tA4")},
        {"page= twice and no margins= is no layout: named when asked for", QStringLiteral("Twice"),
         QStringLiteral("page=210x297;page=210x297;label=63.5x38.1;grid=3x7;pitch=66.04x38.1;unit=mm"),
         {QStringLiteral("print-range"), QStringLiteral("--from"), QStringLiteral("1"), QStringLiteral("--to"), QStringLiteral("2"),
          QStringLiteral("--layout"), QStringLiteral("Twice")},
         2, QStringLiteral("These saved layouts can't be read in [layouts]: value1 (\"Twice\")")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        StoreLayout(1, c.name, c.value);
        const testsupport::ProgramRun r = quorvane(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_TRUE((c.exit == 0 ? r.out : r.err).contains(c.said)) << r.out.toStdString() << r.err.toStdString();
        for (const QString& line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            EXPECT_EQ(line.count(QLatin1Char('\t')), 5) << line.toStdString();
    }
}

// The README's form of an entry, written by hand without quotes: the
// settings file takes what follows its first ";" for a comment.
TEST_F(StoredLayoutRun, AnEntryWrittenWithoutQuotes_IsNamedWithHowToWriteIt)
{
    QDir().mkpath(QFileInfo(config.iniFile()).absolutePath());
    QFile ini(config.iniFile());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[layouts]\ncount=1\nname1=Shelf\nvalue1=" + kLayout.toUtf8() + "\n");
    ini.close();
    const testsupport::ProgramRun r = quorvane({QStringLiteral("print-range"), QStringLiteral("--from"), QStringLiteral("1"),
                                               QStringLiteral("--to"), QStringLiteral("2"), QStringLiteral("--layout"),
                                               QStringLiteral("Shelf")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("value1 (\"Shelf\"); a value holding \";\" must be written in double quotes")))
        << r.err.toStdString();
}

TEST_F(StoredLayoutRun, SmallThingsARunMustNotDoSilently)
{
    Store("line", QStringLiteral("*"));
    writeFile(QStringLiteral("f1.txt"), "*QV-1\r\n");
    struct Case {
        const char* why;
        QStringList args;
        int exit;
        QString said;
        bool printed;
    };
    const Case cases[] = {
        {"--start without a sheet layout", {QStringLiteral("print-range"), QStringLiteral("--from"), QStringLiteral("1"),
                                            QStringLiteral("--to"), QStringLiteral("3"), QStringLiteral("--start"), QStringLiteral("5")},
         1, QStringLiteral("--start places the first label on a sheet, and no sheet layout is chosen"), false},
        {"a relative path prints", {QStringLiteral("print"), QStringLiteral("f1.txt")}, 0, QString(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        QDir(pdfDir).removeRecursively();
        QDir().mkpath(pdfDir);
        const testsupport::ProgramRun r = quorvane(c.args, 60000, {}, work.path());
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.toStdString();
        EXPECT_EQ(pdfWritten(), c.printed);
    }
    EXPECT_EQ(services::GetSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("file")),
              work.filePath(QStringLiteral("f1.txt")))
        << "stored whole, so the window finds it from any folder";
}

TEST_F(StoredLayoutRun, ARangeStoppedByASignal_SaysAfterWhichLabel)
{
    const testsupport::ProgramRun r = quorvane(
        {QStringLiteral("print-range"), QStringLiteral("--from"), QStringLiteral("1"), QStringLiteral("--to"), QStringLiteral("100000")},
        60000, [this](QProcess& p) {
            testsupport::WaitUntil([this] { return pdfWritten(); }, 30000, 20);
            p.terminate();
        });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Stopped after label "))) << r.err.toStdString();
}
