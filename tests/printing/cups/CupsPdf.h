// Queues of the cups-pdf printer: the folder it writes its PDFs into, a
// turn at that folder, and its driver at a label printer's resolution.
#pragma once

#include "tests/printing/cups/OwnCupsd.h"

#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

// cupsd and the cups-pdf backend run only as root; where they can, they
// must be installed.
#define REQUIRE_CUPS_PDF()                                                                                                  \
    if (geteuid() != 0)                                                                                                     \
        GTEST_SKIP() << "cupsd and the cups-pdf backend need root";                                                         \
    if (!testsupport::CupsdInstalled() || !QFile::exists(QStringLiteral("/usr/lib/cups/backend/cups-pdf")))                 \
    GTEST_FAIL() << "cups and printer-driver-cups-pdf must be installed (scripts/deps)"

namespace testsupport::cupspdf {

// Where cups-pdf writes the jobs of the current user: its "Out" setting.
inline QString CupsPdfOutputFolder()
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

// cups-pdf writes the jobs of every run of this test on the machine (every
// checkout, both builds) into the one folder of the user: a run elsewhere
// would drop its files among this run's. Held for the test, this lock
// makes such runs take turns; the system lets it go when the process ends.
class MachineWideTurn {
public:
    MachineWideTurn() : fd_(::open("/tmp/quorvane-cups-pdf.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666))
    {
        if (fd_ >= 0)
            ::flock(fd_, LOCK_EX);
    }
    ~MachineWideTurn()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    MachineWideTurn(const MachineWideTurn&) = delete;
    MachineWideTurn& operator=(const MachineWideTurn&) = delete;

private:
    int fd_;
};

inline QStringList PdfsIn(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, {QStringLiteral("*.pdf")}, QDir::Files);
    while (it.hasNext())
        files << it.next();
    return files;
}

// A copy of the cups-pdf driver whose printer prints at `dpi`, as a label
// printer's driver says its resolution.
inline QString DriverAt(const QTemporaryDir& dir, int dpi)
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

} // namespace testsupport::cupspdf
