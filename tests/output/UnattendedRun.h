// Running the real program unattended, as a script or a scheduler would:
// `quorvane FILE` with no display, its PDFs going to a test folder, and no
// system printers.
#pragma once

#include "platform/Settings.h"

#include <QCoreApplication>
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
};

struct UnattendedRun {
    QTemporaryDir work;
    QTemporaryDir pdfs;
    QString pdfDir = pdfs.path();

    static void Store(const char* key, const QString& value)
    {
        platform::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QString::fromLatin1(key), value);
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
                        const std::function<void(QProcess&)>& whileRunning = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUORVANE_PDF_DIR"), pdfDir);
        env.insert(QStringLiteral("CUPS_SERVER"), work.filePath(QStringLiteral("no-cupsd.sock"))); // no system printers
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the program must choose a headless run itself
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/quorvane"), args);
        p.waitForStarted(10000);
        if (whileRunning)
            whileRunning(p);
        ProgramRun r;
        r.finished = p.waitForFinished(timeoutMs); // a window would wait for a click forever
        if (!r.finished)
            p.kill();
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }
};

} // namespace testsupport
