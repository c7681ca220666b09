#include "platform/PdfFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {
namespace {

const QString kTempPrefix = QStringLiteral(".Quorvane-");
const QString kTempSuffix = QStringLiteral(".pdf.part");
constexpr int kMaxNames = 100000;

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

QString TempName()
{
    return kTempPrefix + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-') +
           QString::number(QRandomGenerator::global()->generate(), 36) + kTempSuffix;
}

QString FinalName(const QString& stem, int n)
{
    return n == 1 ? stem + QStringLiteral(".pdf") : QStringLiteral("%1-%2.pdf").arg(stem).arg(n);
}

#ifdef Q_OS_UNIX
QString Reason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// The pid a temporary file's name carries, or 0.
qint64 OwnerOf(const QString& name)
{
    const QString middle = name.mid(kTempPrefix.size());
    return middle.section(QLatin1Char('-'), 0, 0).toLongLong();
}

bool Alive(qint64 pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }
#endif

} // namespace

PdfFile::~PdfFile() { Discard(); }

bool PdfFile::Create(const QString& folder, QString& error)
{
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create the folder %1").arg(Shown(folder));
        return false;
    }
    RemoveAbandoned(folder);
    folder_ = folder;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = QDir(folder).filePath(TempName());
#ifdef Q_OS_UNIX
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            error = QStringLiteral("cannot write in %1 (%2)").arg(Shown(folder), Reason(errno));
            return false;
        }
        ::flock(fd, LOCK_EX | LOCK_NB); // held until the file is closed: the job is alive
        if (!file_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            ::unlink(QFile::encodeName(path).constData());
            error = QStringLiteral("cannot write in %1 (%2)").arg(Shown(folder), file_.errorString());
            return false;
        }
#else
        file_.setFileName(path);
        if (!file_.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file_.exists())
                continue;
            error = QStringLiteral("cannot write in %1 (%2)").arg(Shown(folder), file_.errorString());
            return false;
        }
#endif
        tempPath_ = path;
        return true;
    }
    error = QStringLiteral("no free file name in %1").arg(Shown(folder));
    return false;
}

QString PdfFile::WriteError() const
{
    return file_.error() == QFileDevice::NoError ? QString() : file_.errorString();
}

QString PdfFile::Commit(const QString& stem, QString& error)
{
    if (tempPath_.isEmpty()) {
        error = QStringLiteral("the file was never created");
        return {};
    }
    bool whole = file_.flush() && file_.error() == QFileDevice::NoError && file_.size() > 0;
#ifdef Q_OS_UNIX
    if (whole && ::fsync(file_.handle()) != 0) {
        error = QStringLiteral("cannot write %1 (%2)").arg(Shown(folder_), Reason(errno));
        Discard();
        return {};
    }
#endif
    if (!whole) {
        error = QStringLiteral("cannot write in %1 (%2)")
                    .arg(Shown(folder_), file_.error() != QFileDevice::NoError ? file_.errorString()
                                                                               : QStringLiteral("nothing was written"));
        Discard();
        return {};
    }
    file_.close();
    const QDir dir(folder_);
    for (int n = 1; n < kMaxNames; ++n) {
        const QString target = dir.filePath(FinalName(stem, n));
#ifdef Q_OS_UNIX
        // A hard link never replaces what is there, a symlink included.
        if (::link(QFile::encodeName(tempPath_).constData(), QFile::encodeName(target).constData()) == 0) {
            ::unlink(QFile::encodeName(tempPath_).constData());
            tempPath_.clear();
            return target;
        }
        if (errno == EEXIST)
            continue;
        if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) {
            error = QStringLiteral("cannot name the file %1 (%2)").arg(Shown(target), Reason(errno));
            Discard();
            return {};
        }
        // A file system without hard links: rename when the name is free.
        struct stat st;
        if (::lstat(QFile::encodeName(target).constData(), &st) == 0)
            continue;
        if (::rename(QFile::encodeName(tempPath_).constData(), QFile::encodeName(target).constData()) == 0) {
            tempPath_.clear();
            return target;
        }
        error = QStringLiteral("cannot name the file %1 (%2)").arg(Shown(target), Reason(errno));
#else
        if (QFileInfo::exists(target))
            continue;
        if (QFile::rename(tempPath_, target)) {
            tempPath_.clear();
            return target;
        }
        error = QStringLiteral("cannot name the file %1").arg(Shown(target));
#endif
        Discard();
        return {};
    }
    error = QStringLiteral("no free file name in %1").arg(Shown(folder_));
    Discard();
    return {};
}

void PdfFile::Discard()
{
    file_.close();
    if (!tempPath_.isEmpty())
        QFile::remove(tempPath_);
    tempPath_.clear();
}

void PdfFile::RemoveAbandoned(const QString& folder)
{
    const QStringList temps =
        QDir(folder).entryList({kTempPrefix + QStringLiteral("*") + kTempSuffix}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : temps) {
        const QString path = QDir(folder).filePath(name);
#ifdef Q_OS_UNIX
        // The owner holds a lock for as long as it writes; a free lock and a
        // process that is gone mean the job ended without finishing.
        if (Alive(OwnerOf(name)))
            continue;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(QFile::encodeName(path).constData());
        ::close(fd);
#else
        QFile::remove(path); // fails while another job has it open
#endif
    }
}

} // namespace platform
