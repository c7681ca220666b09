// The unattended run: the real program started with a file path.
#include "platform/Settings.h"
#include "tests/output/PrintSupport.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

struct ProgramRun {
    int exitCode = -1;
    bool finished = false;
    QString out, err;
};

struct CommandLineTest : ::testing::Test {
    testsupport::TempConfig config;
    QTemporaryDir work;
    QTemporaryDir pdfs;

    void SetUp() override
    {
        platform::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("type1"), QStringLiteral("False"));
        platform::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("type2"), QStringLiteral("True"));
        platform::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("line"), QStringLiteral("*"));
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(work.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    ProgramRun quorvane(const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUORVANE_PDF_DIR"), pdfs.path());
        env.insert(QStringLiteral("CUPS_SERVER"), work.filePath(QStringLiteral("no-cupsd.sock"))); // no system printers
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the program must choose a headless run itself
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/quorvane"), args);
        ProgramRun r;
        r.finished = p.waitForFinished(60000); // a window would wait for a click forever
        if (!r.finished)
            p.kill();
        r.exitCode = p.exitCode();
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }
};

} // namespace

TEST_F(CommandLineTest, PathWithBlanksAround_PrintsExitsZeroAndStoresTheTrimmedPath)
{
    const QString path = writeFile(QStringLiteral("my orders.txt"), "ORDER 17\r\n*A100\r\n");

    const ProgramRun r = quorvane({QStringLiteral("  ") + path + QStringLiteral("  ")});
    ASSERT_TRUE(r.finished) << "the program did not end by itself";
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(platform::GetSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("file")), path);

    const QStringList written = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(written.size(), 1) << r.out.toStdString();
    EXPECT_EQ(QFileInfo(written[0]).absolutePath(), QDir(pdfs.path()).absolutePath());
    const auto pages = testsupport::RenderPdf(written[0], 300);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(testsupport::DecodeOne(pages[0], ZXing::BarcodeFormat::Code39).text, "A100");
}

TEST_F(CommandLineTest, MissingFile_MessageOnStderrAndNonZeroExit)
{
    const QString path = work.filePath(QStringLiteral("gone.txt"));
    const ProgramRun r = quorvane({path});
    ASSERT_TRUE(r.finished);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(path)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(QDir(pdfs.path()).isEmpty());
}

TEST_F(CommandLineTest, QuotedPath_TheQuotesArePartOfThePath)
{
    const QString path = writeFile(QStringLiteral("a.txt"), "*A1\r\n");
    const ProgramRun r = quorvane({QLatin1Char('"') + path + QLatin1Char('"')});
    ASSERT_TRUE(r.finished);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(QDir(pdfs.path()).isEmpty());
}
