// Running the real program unattended, as a script or a scheduler would:
// `quorvane FILE` with no display, its PDFs going to a test folder, and no
// system printers.
#pragma once

#include "tests/support/Pages.h"
#include "tests/support/Sanitizers.h"
#include "services/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>

namespace testsupport {

struct ProgramRun {
    int exitCode = -1;
    bool finished = false;
    QString out, err;
    long peakKiB = -1; // peak resident memory, when measured
};

struct RunOptions {
    QStringList args;
    QByteArray rawPath;       // one argument given as these bytes, whatever they are (after args)
    bool measurePeak = false; // by /usr/bin/time, which then is the process started
    QStringList unset;        // environment variables the run goes without
    QString stdoutFile;       // stdout goes to this file instead of being read
    int timeoutMs = 60000;
    std::function<void(QProcess&)> whileRunning; // gets the started process (to signal it)
    QString workingDirectory;                    // empty: the test's own
    long addressSpaceKiB = 0;                    // ulimit -v for the run (not under AddressSanitizer, which needs more)
    qint64 fileBlocks = 0;                       // ulimit -f: a write past this many 512-byte blocks fails, as on a full disk
    QList<std::pair<QString, QByteArray>> env;   // variables set to these bytes
};

struct UnattendedRun {
    QTemporaryDir work;
    QTemporaryDir pdfs;
    QString pdfDir = pdfs.path();
    // The CUPS server the program talks to (a socket, or HOST:PORT); empty:
    // none, so no system printers.
    QString cupsServer;

    static void Store(const char* key, const QString& value)
    {
        EXPECT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QString::fromLatin1(key), value).ok());
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(work.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    // Runs the program; `whileRunning` gets the started process (to signal it).
    ProgramRun quorvane(const QStringList& args, int timeoutMs = 60000,
                        const std::function<void(QProcess&)>& whileRunning = {}, const QString& workingDirectory = {})
    {
        RunOptions o;
        o.args = args;
        o.timeoutMs = timeoutMs;
        o.whileRunning = whileRunning;
        o.workingDirectory = workingDirectory;
        return run(o);
    }

    ProgramRun run(const RunOptions& o)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUORVANE_PDF_DIR"), pdfDir);
        env.insert(QStringLiteral("CUPS_SERVER"),
                   cupsServer.isEmpty() ? work.filePath(QStringLiteral("no-cupsd.sock")) : cupsServer);
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the program must choose a headless run itself
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        for (const QString& name : o.unset)
            env.remove(name);

        QString program = QStringLiteral(QUORVANE_EXE);
        QStringList args = o.args;
        const QString peakFile = work.filePath(QStringLiteral("peak.txt"));
        if (o.measurePeak) {
            // Under AddressSanitizer freed blocks wait in a quarantine of up
            // to 256 MB; kept small, the peak is the program's own.
            const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
            env.insert(QStringLiteral("ASAN_OPTIONS"), asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("quarantine_size_mb=16"));
            args = QStringList{QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"), peakFile, program} + args;
            program = QStringLiteral("/usr/bin/time");
        }
        if (!o.rawPath.isEmpty()) {
            // QProcess passes arguments as UTF-8; the shell's printf makes any bytes.
            QString octal;
            for (char c : o.rawPath)
                octal += QStringLiteral("\\0%1").arg(static_cast<unsigned char>(c), 3, 8, QLatin1Char('0'));
            env.insert(QStringLiteral("QUORVANE_TEST_PATH"), octal);
            args = QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$@\" \"$(printf '%b' \"$QUORVANE_TEST_PATH\")\""),
                               QStringLiteral("sh"), program} + args;
            program = QStringLiteral("/bin/sh");
        }

        for (const auto& [name, bytes] : o.env) {
            // QProcess passes the environment as UTF-8: any bytes go through the shell's printf.
            QString octal;
            for (char c : bytes)
                octal += QStringLiteral("\\0%1").arg(static_cast<unsigned char>(c), 3, 8, QLatin1Char('0'));
            env.insert(QStringLiteral("QUORVANE_TEST_ENV_") + name, octal);
            args = QStringList{QStringLiteral("-c"),
                               QStringLiteral("%1=\"$(printf '%b' \"$QUORVANE_TEST_ENV_%1\")\"; export %1; exec \"$@\"").arg(name),
                               QStringLiteral("sh"), program} + args;
            program = QStringLiteral("/bin/sh");
        }
        if (o.addressSpaceKiB > 0 && !kUnderAsan) {
            args = QStringList{QStringLiteral("-c"), QStringLiteral("ulimit -v %1 && exec \"$@\"").arg(o.addressSpaceKiB),
                               QStringLiteral("sh"), program} + args;
            program = QStringLiteral("/bin/sh");
        }
        if (o.fileBlocks > 0) {
            // SIGXFSZ ignored: the write fails with an error, as it does on a full disk.
            args = QStringList{QStringLiteral("-c"), QStringLiteral("ulimit -f %1; trap '' XFSZ; exec \"$@\"").arg(o.fileBlocks),
                               QStringLiteral("sh"), program} + args;
            program = QStringLiteral("/bin/sh");
        }
        QProcess p;
        p.setProcessEnvironment(env);
        if (!o.workingDirectory.isEmpty())
            p.setWorkingDirectory(o.workingDirectory);
        if (!o.stdoutFile.isEmpty())
            p.setStandardOutputFile(o.stdoutFile);
        p.start(program, args);
        p.waitForStarted(10000);
        if (o.whileRunning)
            o.whileRunning(p);
        ProgramRun r;
        r.finished = p.waitForFinished(o.timeoutMs); // a window would wait for a click forever
        if (!r.finished)
            p.kill();
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        QFile peak(peakFile);
        if (o.measurePeak && peak.open(QIODevice::ReadOnly)) // time says the exit status first when it is not 0
            r.peakKiB = QString::fromLatin1(peak.readAll()).trimmed().split(QLatin1Char('\n')).last().toLong();
        peak.remove();
        // Every PDF the program wrote is one a reader takes.
        const QDir written(pdfDir);
        for (const QString& name : written.entryList({QStringLiteral("*.pdf")}, QDir::Files))
            if (!checkedPdfs_.contains(name)) {
                checkedPdfs_ << name;
                ExpectValidPdf(written.filePath(name));
            }
        return r;
    }

private:
    QStringList checkedPdfs_;
};

} // namespace testsupport
