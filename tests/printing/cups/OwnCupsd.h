// A CUPS scheduler of a test's own: started on a socket in a temporary
// folder (its own config, spool and logs), optionally also on a loopback
// port, and stopped again by the test that started it, by its own process.
// The one made current points libcups (and Qt's printer list) at itself
// through CUPS_SERVER for as long as it runs.
#pragma once

#include "printing/JobFollow.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

inline bool CupsdInstalled()
{
    return !QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
                .isEmpty();
}

// A test of its own CUPS server skips where it can't start one.
#define SKIP_WITHOUT_CUPSD()                                                                                          \
    if (geteuid() != 0 || !testsupport::CupsdInstalled())                                                            \
    GTEST_SKIP() << "cupsd needs root and the cups package (scripts/deps)"

inline bool RunTool(const QString& program, const QStringList& args, QString* output = nullptr,
                    const QString& server = QString())
{
    QProcess p;
    if (!server.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), server);
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return false;
    if (output)
        *output = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The CUPS job a print target sent, followed until it has printed (up to
// `seconds`), then dropped: why it did not print, or that none was sent.
inline core::Status JobPrinted(const printing::JobDone& done, double seconds)
{
    if (!done.cupsJob)
        return core::Failure{core::kPrintFailed, QStringLiteral("no job was sent to CUPS")};
    printing::CupsJob job = *done.cupsJob;
    const core::Status printed = printing::WaitForJob(job, seconds);
    printing::ForgetJob(job);
    return printed;
}

// A loopback port nobody listens on now.
inline int FreeLoopbackPort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    close(s);
    return port;
}

class OwnCupsd {
public:
    // `port`: also listen on 127.0.0.1:port. `current`: this is the
    // server the test's libcups and the programs it starts talk to.
    explicit OwnCupsd(int port = 0, bool current = true) : port_(port), current_(current)
    {
        dir_.setAutoRemove(true);
        const QString d = dir_.path();
        QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                     QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        for (const char* sub : {"root", "spool", "spool/tmp", "cache", "state", "log", "out"})
            QDir(d).mkpath(QString::fromLatin1(sub));
        socket_ = d + QStringLiteral("/cups.sock");
        // The scheduler runs filters as "lp": the temporary folder must be
        // below the spool for cupsd to give it the rights they need. Label
        // queues write to files (FileDevice) a test reads back.
        write(QStringLiteral("root/cups-files.conf"),
              QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                             "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                             "PageLog %1/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                             "SystemGroup root\nFileDevice Yes\n").arg(d));
        const QString tcp = port ? QStringLiteral("Listen 127.0.0.1:%1\n").arg(port) : QString();
        write(QStringLiteral("root/cupsd.conf"),
              QStringLiteral("Listen %1\n%2LogLevel info\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                  .arg(socket_, tcp));
        cupsd_.setWorkingDirectory(d);
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        cupsd_.start(QStringLiteral("cupsd"), {QStringLiteral("-f"), QStringLiteral("-c"), d + QStringLiteral("/root/cupsd.conf"),
                                                QStringLiteral("-s"), d + QStringLiteral("/root/cups-files.conf")});
        started_ = cupsd_.waitForStarted(10000);
        if (current_) {
            previousServer_ = qgetenv("CUPS_SERVER");
            qputenv("CUPS_SERVER", socket_.toLocal8Bit());
            cupsSetServer(nullptr); // libcups reads CUPS_SERVER again, and drops its old connection
        }
        // lpstat -r exits 0 either way; only its answer tells that the
        // scheduler listens on our socket (and on the port, where asked).
        auto listens = [](const QString& server) {
            QString said;
            return RunTool(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &said, server) &&
                   said.contains(QLatin1String("scheduler is running"));
        };
        ready_ = started_ && WaitUntil(
                                 [&] {
                                     return cupsd_.state() == QProcess::Running && listens(socket_) &&
                                            (!port_ || listens(QStringLiteral("127.0.0.1:%1").arg(port_)));
                                 },
                                 15000, 50);
    }
    ~OwnCupsd()
    {
        Stop();
        if (current_) {
            qputenv("CUPS_SERVER", previousServer_);
            cupsSetServer(nullptr);
        }
    }
    OwnCupsd(const OwnCupsd&) = delete;
    OwnCupsd& operator=(const OwnCupsd&) = delete;

    // Stops the scheduler (a server that goes away while it is used); the
    // environment stays pointed at it until the end.
    void Stop()
    {
        if (cupsd_.state() != QProcess::NotRunning) {
            cupsd_.terminate(); // only the cupsd this test started, by its own process
            if (!cupsd_.waitForFinished(10000))
                cupsd_.kill();
            cupsd_.waitForFinished(5000);
        }
    }
    // Started, and answering where the tests reach it.
    bool Running() const { return ready_ && cupsd_.state() == QProcess::Running; }
    // Running, or what the scheduler's log says.
    testing::AssertionResult Started() const
    {
        if (Running())
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "cupsd is not running: " << ErrorLog().toStdString();
    }
    QString Socket() const { return socket_; }
    int Port() const { return port_; }
    // A file in the scheduler's own folder (where label queues print to).
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString ErrorLog() const
    {
        QFile log(dir_.filePath(QStringLiteral("log/error_log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(4000)) : QString();
    }
    // Runs a CUPS tool (lpadmin, cupsdisable, cancel, ...) on this server.
    bool Admin(const QString& tool, const QStringList& args, QString* output = nullptr) const
    {
        return RunTool(tool, args, output, socket_);
    }

    // Adds the queue `name`, enabled, printing to `device`; `driver` is
    // lpadmin's words for its driver (-m MODEL or -P PPD, any -o options).
    // A failure says what lpadmin said.
    testing::AssertionResult AddQueue(const QString& name, const QString& device, const QStringList& driver) const
    {
        QString said;
        if (Admin(QStringLiteral("lpadmin"),
                  QStringList{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"), device} + driver, &said))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "lpadmin -p " << name.toStdString() << ": " << said.toStdString();
    }
    // A queue of CUPS' own ZPL Label Printer model whose printer is the file `file`.
    testing::AssertionResult AddZplFileQueue(const QString& name, const QString& file) const
    {
        return AddQueue(name, QStringLiteral("file:") + file,
                        {QStringLiteral("-m"), QStringLiteral("drv:///sample.drv/zebra.ppd")});
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
    int port_ = 0;
    bool current_ = true;
    QProcess cupsd_;
    bool started_ = false;
    bool ready_ = false;
    QByteArray previousServer_;
};

} // namespace testsupport
