// The unattended run: the real program started with a file path.
#include "services/Settings.h"
#include "tests/support/Decode.h"
#include "tests/support/Pages.h"
#include "tests/support/TempConfig.h"
#include "tests/support/UnattendedRun.h"

#include <QCoreApplication>
#include <QFileInfo>

using testsupport::ProgramRun;

namespace {

struct CommandLineTest : ::testing::Test, testsupport::UnattendedRun {
    testsupport::TempConfig config;

    void SetUp() override
    {
        Store("type1", QStringLiteral("False"));
        Store("type2", QStringLiteral("True"));
        Store("line", QStringLiteral("*"));
    }
};

} // namespace

TEST_F(CommandLineTest, PathWithBlanksAround_PrintsExitsZeroAndStoresTheTrimmedPath)
{
    const QString path = writeFile(QStringLiteral("my orders.txt"), "ORDER 17\r\n*A100\r\n");

    const ProgramRun r = quorvane({QStringLiteral("  ") + path + QStringLiteral("  ")});
    ASSERT_TRUE(r.finished) << "the program did not end by itself";
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(services::GetSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("file")), path);

    const QStringList written = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(written.size(), 1) << r.out.toStdString();
    EXPECT_EQ(QFileInfo(written[0]).absolutePath(), QDir(pdfDir).absolutePath());
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
    EXPECT_TRUE(QDir(pdfDir).isEmpty());
}

TEST_F(CommandLineTest, QuotedPath_TheQuotesArePartOfThePath)
{
    const QString path = writeFile(QStringLiteral("a.txt"), "*A1\r\n");
    const ProgramRun r = quorvane({QLatin1Char('"') + path + QLatin1Char('"')});
    ASSERT_TRUE(r.finished);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(QDir(pdfDir).isEmpty());
}
