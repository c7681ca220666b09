// Printing and exporting need no window: an unattended run of a listing
// and an export create no widget, and print what the stored options say.
#include "cli/CommandLine.h"
#include "cli/ExportCommand.h"
#include "jobs/PrintJobs.h"
#include "services/Settings.h"
#include "tests/support/Decode.h"
#include "tests/support/PrintSupport.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

namespace {

struct NoWindowTest : testsupport::PrintingTest {
    QTemporaryDir files;
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = files.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
};

void Store(const char* key, const char* value)
{
    EXPECT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QLatin1String(key), QLatin1String(value)).ok());
}

} // namespace

TEST_F(NoWindowTest, UnattendedListingAndExport_CreateNoWidget)
{
    Store("type1", "False");
    Store("type2", "True");
    Store("line", "*");
    Store("check2", "1");
    const QString listing = Write(QStringLiteral("orders.txt"), "ORDER 17\r\n*A100\r\n*B-200\r\n");
    const QList<QWidget*> before = QApplication::allWidgets();

    EXPECT_TRUE(jobs::PrintFileUnattended(listing, {}, Unattended())) << messages.texts.join(QLatin1Char('\n')).toStdString();
    const cli::Command c = cli::ParseCommandLine({QStringLiteral("export"), QStringLiteral("--type"), QStringLiteral("code39"),
                                                  QStringLiteral("--text"), QStringLiteral("E1"), QStringLiteral("--output"),
                                                  files.filePath(QStringLiteral("e1.svg"))});
    EXPECT_EQ(cli::RunExport(c), 0);

    for (QWidget* w : QApplication::allWidgets())
        EXPECT_TRUE(before.contains(w)) << "a widget was created: " << w->metaObject()->className();
    EXPECT_EQ(services::GetSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("file")), listing);
    ASSERT_EQ(sandbox.written.size(), 1);
    const auto pages = testsupport::RenderPdf(sandbox.written[0], 300);
    ASSERT_EQ(pages.size(), 1u);
    QStringList read;
    for (const auto& d : testsupport::DecodeAll(pages[0], ZXing::BarcodeFormat::Code39))
        read << QString::fromStdString(d.text);
    read.sort();
    EXPECT_EQ(read, (QStringList{QStringLiteral("A100"), QStringLiteral("B-200")}));
}
