// Printing through a real CUPS queue. The test starts its own cupsd on a
// socket in a temporary folder (its own config, spool and logs), adds a
// cups-pdf queue, points libcups at it with CUPS_SERVER, and stops only the
// cupsd it started.
#include "app/Form1.h"
#include "platform/MessageBox.h"
#include "platform/Printers.h"
#include "tests/output/PrintSupport.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"

#include <QComboBox>
#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <pwd.h>
#include <unistd.h>

namespace {

const QString kQueue = QStringLiteral("Quorvane-Lab_Queue"); // mixed case, a hyphen and an underscore

bool RunTool(const QString& program, const QStringList& args, QString* output = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return false;
    if (output)
        *output = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Where cups-pdf writes the jobs of the current user: its "Out" setting.
QString CupsPdfOutputFolder()
{
    QString out = QStringLiteral("/var/spool/cups-pdf/${USER}");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly)) {
        for (const QByteArray& raw : conf.readAll().split('\n')) {
            const QString line = QString::fromLocal8Bit(raw).trimmed();
            if (line.startsWith(QStringLiteral("Out ")))
                out = line.mid(4).trimmed();
        }
    }
    const passwd* pw = getpwuid(getuid());
    out.replace(QStringLiteral("${HOME}"), QString::fromLocal8Bit(pw ? pw->pw_dir : ""));
    out.replace(QStringLiteral("${USER}"), QString::fromLocal8Bit(pw ? pw->pw_name : ""));
    return out;
}

QStringList PdfsIn(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, {QStringLiteral("*.pdf")}, QDir::Files);
    while (it.hasNext())
        files << it.next();
    return files;
}

class OwnCupsd {
public:
    OwnCupsd()
    {
        dir_.setAutoRemove(true);
        const QString d = dir_.path();
        QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                     QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        for (const char* sub : {"root", "spool", "spool/tmp", "cache", "state", "log"})
            QDir(d).mkpath(QString::fromLatin1(sub));
        socket_ = d + QStringLiteral("/cups.sock");
        // The scheduler runs filters as "lp": the temporary folder must be
        // below the spool for cupsd to give it the rights they need.
        write(QStringLiteral("root/cups-files.conf"),
              QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                             "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                             "PageLog %1/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                             "SystemGroup root\n").arg(d));
        write(QStringLiteral("root/cupsd.conf"),
              QStringLiteral("Listen %1\nLogLevel info\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n").arg(socket_));
        cupsd_.setWorkingDirectory(d);
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        cupsd_.start(QStringLiteral("cupsd"), {QStringLiteral("-f"), QStringLiteral("-c"), d + QStringLiteral("/root/cupsd.conf"),
                                                QStringLiteral("-s"), d + QStringLiteral("/root/cups-files.conf")});
        started_ = cupsd_.waitForStarted(10000);
        previousServer_ = qgetenv("CUPS_SERVER");
        qputenv("CUPS_SERVER", socket_.toLocal8Bit());
        QElapsedTimer t;
        t.start();
        // lpstat -r exits 0 either way; only its answer tells that the
        // scheduler listens on our socket.
        auto ready = [] {
            QString said;
            return RunTool(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &said) &&
                   said.contains(QLatin1String("scheduler is running"));
        };
        while (started_ && t.elapsed() < 15000 && !ready())
            QThread::msleep(100);
    }
    ~OwnCupsd()
    {
        if (cupsd_.state() != QProcess::NotRunning) {
            cupsd_.terminate(); // only the cupsd this test started, by its own process
            if (!cupsd_.waitForFinished(10000))
                cupsd_.kill();
            cupsd_.waitForFinished(5000);
        }
        qputenv("CUPS_SERVER", previousServer_);
    }

    bool Running() const { return started_ && cupsd_.state() == QProcess::Running; }
    QString ErrorLog() const
    {
        QFile log(dir_.filePath(QStringLiteral("log/error_log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(4000)) : QString();
    }

private:
    void write(const QString& name, const QString& text)
    {
        QFile f(dir_.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(text.toLocal8Bit());
    }

    QTemporaryDir dir_{QStringLiteral("/tmp/quorvane-cups-XXXXXX")};
    QString socket_;
    QProcess cupsd_;
    bool started_ = false;
    QByteArray previousServer_;
};

// A copy of the cups-pdf driver whose printer prints at `dpi`, as a label
// printer's driver says its resolution.
QString DriverAt(const QTemporaryDir& dir, int dpi)
{
    QFile in(QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QByteArray ppd = in.readAll();
    const QByteArray res = QByteArray::number(dpi) + "dpi";
    ppd.replace("*DefaultResolution: 300dpi", "*DefaultResolution: " + res);
    ppd.replace("*Resolution 300dpi/300 DPI:", "*Resolution " + res + "/" + QByteArray::number(dpi) +
                                                   " DPI: \"<</HWResolution[" + QByteArray::number(dpi) + " " +
                                                   QByteArray::number(dpi) + "]>>setpagedevice\"\n*Resolution 300dpi/300 DPI:");
    QFile out(dir.filePath(QStringLiteral("label-%1.ppd").arg(dpi)));
    if (!out.open(QIODevice::WriteOnly))
        return {};
    out.write(ppd);
    return out.fileName();
}

} // namespace

TEST(CupsPrinting, QueuesListedByName_PrintAtTheirOwnResolutionAndTheirPdfsScan)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "cupsd and the cups-pdf backend need root";
    if (QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")}).isEmpty() ||
        !QFile::exists(QStringLiteral("/usr/lib/cups/backend/cups-pdf")))
        GTEST_FAIL() << "cups and printer-driver-cups-pdf must be installed (scripts/deps)";

    OwnCupsd cups;
    ASSERT_TRUE(cups.Running()) << cups.ErrorLog().toStdString();
    QTemporaryDir drivers;
    // An office printer's driver (300 dpi) and a label printer's (203 dpi).
    struct Queue {
        QString name;
        int dpi;
    };
    const Queue queues[] = {{kQueue, 300}, {QStringLiteral("Label203"), 203}};
    for (const Queue& q : queues) {
        QString out;
        ASSERT_TRUE(RunTool(QStringLiteral("lpadmin"), {QStringLiteral("-p"), q.name, QStringLiteral("-E"), QStringLiteral("-v"),
                                                        QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), DriverAt(drivers, q.dpi)},
                            &out))
            << out.toStdString();
    }

    testsupport::TempConfig config;
    platform::SetPrinterCatalog(nullptr); // the system's printers, now those of our cupsd
    platform::RecordingSink messages;
    platform::ScopedMessageSink sink(&messages);
    app::Form1 form;
    form.Form_Load();

    QStringList listed;
    for (int i = 0; i < form.Combo1->count(); ++i)
        listed << form.Combo1->itemText(i);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("Label203"), platform::kPdfPrinterName, kQueue}));

    const QString pdfFolder = CupsPdfOutputFolder();
    struct Job {
        QRadioButton* app::Form1::*option;
        const char* text;
        ZXing::BarcodeFormat format;
    };
    const Job jobs[] = {{&app::Form1::Option2, "CUPS-42", ZXing::BarcodeFormat::Code39},
                        {&app::Form1::Option1, "Label 203", ZXing::BarcodeFormat::Code128}};
    for (const Queue& q : queues) {
        for (const Job& j : jobs) {
            SCOPED_TRACE(q.name.toStdString() + ": " + j.text);
            // cups-pdf names a file by the job's title and overwrites an
            // older file of that name: the job's file is the one written
            // after it was sent.
            const QDateTime sent = QDateTime::currentDateTime().addSecs(-1);
            (form.*j.option)->setChecked(true);
            form.Text1->setText(QString::fromLatin1(j.text));
            form.Combo1->setEditText(q.name);
            form.Command2_Click();
            EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
            EXPECT_EQ(platform::CurrentPrinter().DeviceName(), q.name);

            // cups-pdf writes the job when the queue has run it.
            QStringList made;
            QElapsedTimer t;
            t.start();
            while (made.isEmpty() && t.elapsed() < 90000) {
                QThread::msleep(200);
                for (const QString& f : PdfsIn(pdfFolder))
                    if (QFileInfo(f).lastModified() >= sent && QFileInfo(f).size() > 0)
                        made << f;
            }
            ASSERT_EQ(made.size(), 1) << "no PDF from the queue in " << pdfFolder.toStdString() << "\n"
                                      << cups.ErrorLog().toStdString();
            QThread::msleep(500); // let the backend finish writing
            const auto pages = testsupport::RenderPdf(made[0], q.dpi);
            for (const QString& f : made)
                QFile::remove(f);
            ASSERT_EQ(pages.size(), 1u);
            const auto d = testsupport::DecodeOne(pages[0], j.format);
            EXPECT_EQ(d.text, j.text);
            // At the printer's own resolution every bar and space is whole dots.
            const auto runs = testsupport::RunsFrom(pages[0], d.left, d.Middle(), q.dpi / 10);
            ASSERT_GT(runs.size(), 20u);
            const int module = *std::min_element(runs.begin(), runs.end());
            for (int r : runs)
                EXPECT_EQ(r % module, 0) << "a run of " << r << " dots, module " << module;
        }
    }
}
