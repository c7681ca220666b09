// An LPrint server of a test's own, as a peer that takes label jobs over
// IPP the way a label printer application does: started on a free
// loopback port with its state, spool, log and output in a temporary
// folder, and stopped again by the test that started it, by its own
// process.
//
// Run as root, LPrint puts its control socket under /run and shares it
// with any other LPrint there, so it runs as nobody, with HOME and TMPDIR
// in its folder: its state is $HOME/.lprint.conf and its socket in TMPDIR,
// where the `lprint` commands run the same way find it. Its printers
// write to a folder (`file://DIR`), each job to DIR/JOBNAME.prn, which
// LPrint takes only when the folder exists and its user, nobody, can
// write to it.
#pragma once

#include "tests/printing/cups/OwnCupsd.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

class OwnLprint {
public:
    // Why LPrint can't run here, or empty: it needs root (to become
    // nobody), setpriv and lprint.
    static QString Missing()
    {
        if (geteuid() != 0)
            return QStringLiteral("LPrint is run as nobody, which needs root");
        for (const char* tool : {"lprint", "setpriv"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                return QStringLiteral("%1 is not installed (scripts/deps)").arg(QLatin1String(tool));
        if (!getpwnam("nobody") || !getgrnam("nogroup"))
            return QStringLiteral("there is no user nobody and group nogroup to run LPrint as");
        return {};
    }

    OwnLprint()
    {
        const QString d = dir_.path();
        const passwd* nobody = getpwnam("nobody");
        const group* nogroup = getgrnam("nogroup");
        if (!dir_.isValid() || !nobody || !nogroup)
            return;
        for (const char* sub : {"spool", "out"})
            QDir(d).mkpath(QLatin1String(sub));
        for (const QString& path : {d, d + QStringLiteral("/spool"), d + QStringLiteral("/out")}) {
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
            if (chown(path.toLocal8Bit().constData(), nobody->pw_uid, nogroup->gr_gid) != 0)
                return;
        }
        port_ = FreeLoopbackPort();
        server_.setProcessChannelMode(QProcess::MergedChannels);
        server_.setWorkingDirectory(d);
        server_.start(QStringLiteral("setpriv"),
                      AsNobody({QStringLiteral("lprint"), QStringLiteral("server"), QStringLiteral("-o"),
                                QStringLiteral("server-port=%1").arg(port_), QStringLiteral("-o"),
                                QStringLiteral("spool-directory=%1/spool").arg(d), QStringLiteral("-o"),
                                QStringLiteral("log-file=%1/log").arg(d), QStringLiteral("-o"), QStringLiteral("tls=no")}));
        if (!server_.waitForStarted(10000))
            return;
        // Ready when its port takes a connection.
        QElapsedTimer t;
        t.start();
        while (server_.state() == QProcess::Running && t.elapsed() < 15000 && !PortAnswers())
            QThread::msleep(50);
        running_ = server_.state() == QProcess::Running && PortAnswers();
    }
    ~OwnLprint()
    {
        if (server_.state() == QProcess::NotRunning)
            return;
        // A job left held keeps the server from stopping: cancel them all.
        if (!printer_.isEmpty())
            Lprint({QStringLiteral("cancel"), QStringLiteral("-d"), printer_, QStringLiteral("-a")});
        server_.terminate(); // only the server this test started, by its own process
        if (!server_.waitForFinished(15000))
            server_.kill();
        server_.waitForFinished(5000);
    }
    OwnLprint(const OwnLprint&) = delete;
    OwnLprint& operator=(const OwnLprint&) = delete;

    bool Running() const { return running_; }

    // Adds a printer of the driver that writes each job to the output
    // folder; false with LPrint's words in `output` when it is refused.
    bool AddPrinter(const QString& name, const QString& driver, QString* output = nullptr)
    {
        const bool added = Lprint({QStringLiteral("add"), QStringLiteral("-d"), name, QStringLiteral("-v"),
                                   QStringLiteral("file://") + dir_.filePath(QStringLiteral("out")), QStringLiteral("-m"), driver},
                                  output);
        if (added)
            printer_ = name;
        return added;
    }
    // The printer's IPP address.
    QString Uri(const QString& name) const { return QStringLiteral("ipp://127.0.0.1:%1/ipp/print/%2").arg(port_).arg(name); }
    int Port() const { return port_; }
    // Where a job of that name is written.
    QString JobFile(const QString& jobName) const { return dir_.filePath(QStringLiteral("out/%1.prn").arg(jobName)); }
    QString Log() const
    {
        QFile log(dir_.filePath(QStringLiteral("log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(4000)) : QString();
    }

    // Runs an `lprint` command as the server's user, in its folder.
    bool Lprint(const QStringList& args, QString* output = nullptr) const
    {
        return RunTool(QStringLiteral("setpriv"), AsNobody(QStringList{QStringLiteral("lprint")} + args), output);
    }

private:
    QStringList AsNobody(const QStringList& command) const
    {
        const QString d = dir_.path();
        return QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups"),
                           QStringLiteral("env"), QStringLiteral("HOME=") + d, QStringLiteral("TMPDIR=") + d} +
               command;
    }
    bool PortAnswers() const
    {
        const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(port_));
        const bool answers = s >= 0 && ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        if (s >= 0)
            close(s);
        return answers;
    }

    QTemporaryDir dir_{QStringLiteral("/tmp/quorvane-lprint-XXXXXX")};
    int port_ = 0;
    QProcess server_;
    bool running_ = false;
    QString printer_;
};

} // namespace testsupport
