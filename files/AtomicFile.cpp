#include "files/AtomicFile.h"

#include "core/TextCodec.h"
#include "services/Termination.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <atomic>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace files {
namespace {

const QString kTempPrefix = QStringLiteral(".Quorvane-");

// The pid in the name tells RemoveAbandoned whose file it is.
QString TempName(const QString& suffix)
{
    static const QString pid = QString::number(QCoreApplication::applicationPid()); // asked once, not per file
    return kTempPrefix + pid + QLatin1Char('-') + QString::number(QRandomGenerator::global()->generate(), 36) + suffix;
}

// A failure of the file system, in its own words ("No space left on
// device"): the callers name the file.
core::Failure Fail(const QString& reason) { return core::Failure{core::kCannotWrite, reason}; }
#ifdef Q_OS_UNIX
core::Failure Reason(int err) { return Fail(QString::fromLocal8Bit(std::strerror(err))); }
#endif
// File names by their bytes, so a name that is not UTF-8 is written and
// removed as given.
QByteArray Native(const QString& path) { return core::ToLocalBytes(path); }
#ifdef Q_OS_UNIX

// The pid a temporary file's name carries, or 0.
qint64 OwnerOf(const QString& name)
{
    const QString middle = name.mid(kTempPrefix.size());
    return middle.section(QLatin1Char('-'), 0, 0).toLongLong();
}

// An open descriptor's name for linkat where AT_EMPTY_PATH is refused.
[[maybe_unused]] QByteArray SelfPath(int fd) { return "/proc/self/fd/" + QByteArray::number(fd); }

// Paths are taken from the current folder where a folder's descriptor
// could stand.
constexpr int kCurrentFolder = AT_FDCWD;

bool Alive(qint64 pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }
#else
constexpr int kCurrentFolder = -1;
#endif

} // namespace

QString ShownPath(const QString& path) { return QDir::toNativeSeparators(path); }

AtomicFile::~AtomicFile() { Discard(); }

core::Status AtomicFile::Create(const QString& folder, const QString& suffix)
{
    Discard();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = QDir(folder).filePath(TempName(suffix));
        // Created and registered in one step: a stop between the two would
        // leave the file behind.
        const auto hold = services::HoldOffStop();
#ifdef Q_OS_UNIX
        const int fd = ::open(Native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return Reason(errno);
        }
        ::flock(fd, LOCK_EX | LOCK_NB); // held until the file is closed: the job is alive
        fd_ = fd;
#else
        file_.setFileName(path);
        if (!file_.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file_.exists())
                continue;
            return Fail(file_.errorString());
        }
#endif
        tempPath_ = path;
        services::AddStopTemporary(core::ToLocalBytes(path)); // a stop that ends the program removes it
        return core::Ok();
    }
    return Fail(QStringLiteral("no free file name"));
}

namespace {

#ifdef O_TMPFILE
// An unnamed file in `folder` (a path, or "." of a held folder's
// descriptor `dir`); -1 where the file system has none.
int OpenUnnamed(int dir, const char* folder)
{
    // The file is named through /proc where its descriptor can't name it;
    // without /proc (a bare container) it might never be named.
    static const bool procFds = ::access("/proc/self/fd", X_OK) == 0;
    return procFds ? ::openat(dir, folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644) : -1;
}

// Links an unnamed file to `target`, by its descriptor (AT_EMPTY_PATH)
// where the kernel lets the file's opener do that, which spares a lookup
// through /proc for every file. Kernels before 6.10 allow it only to a
// privileged user and say ENOENT; from then on /proc names the files.
int LinkUnnamed(int fd, int dir, const char* target)
{
    static std::atomic<bool> byDescriptor = true;
    if (byDescriptor.load(std::memory_order_relaxed)) {
        if (::linkat(fd, "", dir, target, AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != ENOENT)
            return -1;
    }
    const QByteArray self = SelfPath(fd);
    if (::linkat(AT_FDCWD, self.constData(), dir, target, AT_SYMLINK_FOLLOW) != 0)
        return -1;
    byDescriptor.store(false, std::memory_order_relaxed);
    return 0;
}
#endif

} // namespace

FileFolder::FileFolder(const QString& path) : path_(path)
{
#if defined(O_PATH) && defined(O_TMPFILE)
    // O_PATH: the folder is only looked through, so one that may be
    // written but not listed is held as well.
    fd_ = ::open(Native(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
#endif
}

FileFolder::~FileFolder()
{
#ifdef Q_OS_UNIX
    if (fd_ >= 0)
        ::close(fd_);
#endif
}

core::Status AtomicFile::CreateUnnamed(const QString& folder, const QString& suffix)
{
#ifdef O_TMPFILE
    Discard();
    if (const int fd = OpenUnnamed(AT_FDCWD, Native(folder).constData()); fd >= 0) {
        fd_ = fd;
        unnamed_ = true;
        folder_ = folder;
        suffix_ = suffix;
        return core::Ok();
    }
    // A file system without unnamed files: the named way.
#endif
    return Create(folder, suffix);
}

core::Status AtomicFile::CreateUnnamed(const FileFolder& folder, const QString& suffix)
{
#ifdef O_TMPFILE
    if (folder.fd_ >= 0) {
        Discard();
        if (const int fd = OpenUnnamed(folder.fd_, "."); fd >= 0) {
            fd_ = fd;
            unnamed_ = true;
            folder_ = folder.Path();
            suffix_ = suffix;
            return core::Ok();
        }
        return Create(folder.Path(), suffix);
    }
#endif
    return CreateUnnamed(folder.Path(), suffix);
}

#ifdef O_TMPFILE
core::Result<bool> AtomicFile::nameUnnamed(int dir, const QByteArray& target)
{
    if (LinkUnnamed(handle(), dir, target.constData()) == 0) {
        unnamed_ = false;
        closeFile();
        return true;
    }
    if (errno != EEXIST)
        return Reason(errno);
    // The name is taken: the file gets a temporary name, to replace it by rename.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = QDir(folder_).filePath(TempName(suffix_));
        const auto hold = services::HoldOffStop();
        if (LinkUnnamed(handle(), AT_FDCWD, Native(path).constData()) == 0) {
            tempPath_ = path;
            services::AddStopTemporary(core::ToLocalBytes(path));
            unnamed_ = false;
            return false;
        }
        if (errno != EEXIST)
            break;
    }
    return Reason(errno);
}
#else
core::Result<bool> AtomicFile::nameUnnamed(int, const QByteArray&) { return false; }
#endif

QIODevice* AtomicFile::Device()
{
#ifdef Q_OS_UNIX
    if (fd_ >= 0 && !fdInFile_ && file_.open(fd_, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        fdInFile_ = true;
#endif
    return &file_;
}

bool AtomicFile::Write(const QByteArray& bytes)
{
#ifdef Q_OS_UNIX
    if (fd_ >= 0 && !fdInFile_) {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                writeErrno_ = n < 0 ? errno : EIO;
                return false;
            }
            done += n;
            written_ += n;
        }
        return true;
    }
#endif
    return Device()->write(bytes) == bytes.size();
}

core::Status AtomicFile::Written() const
{
#ifdef Q_OS_UNIX
    if (writeErrno_ != 0)
        return Reason(writeErrno_);
#endif
    return file_.error() == QFileDevice::NoError ? core::Ok() : core::Status(Fail(file_.errorString()));
}

core::Status AtomicFile::Flush()
{
    if (!IsCreated())
        return Fail(QStringLiteral("the file was never created"));
    if (!file_.isOpen()) { // written straight to the descriptor
        if (core::Status written = Written(); written.failed())
            return written;
        return written_ > 0 ? core::Ok() : core::Status(Fail(QStringLiteral("nothing was written")));
    }
    // The device's place is what was written: asking the file for its size
    // would cost a call for nothing.
    if (file_.flush() && file_.error() == QFileDevice::NoError && file_.pos() > 0)
        return core::Ok();
    return Fail(file_.error() != QFileDevice::NoError ? file_.errorString() : QStringLiteral("nothing was written"));
}

core::Status AtomicFile::Complete(bool durable)
{
    core::Status done = Written();
    if (done.ok())
        done = Flush();
    if (done.ok() && durable)
        done = Sync();
    return done;
}

int AtomicFile::handle() const { return file_.isOpen() ? file_.handle() : fd_; }

core::Status AtomicFile::Sync()
{
#ifdef Q_OS_UNIX
    if (::fsync(handle()) != 0)
        return Reason(errno);
#endif
    return core::Ok();
}

void AtomicFile::closeFile()
{
    unnamed_ = false; // an unnamed file closed is gone
    file_.close();
#ifdef Q_OS_UNIX
    if (fd_ >= 0 && !fdInFile_)
        ::close(fd_);
#endif
    fd_ = -1;
    fdInFile_ = false;
    written_ = 0;
    writeErrno_ = 0;
}

core::Status AtomicFile::ReplaceAs(const QString& target) { return replace(kCurrentFolder, Native(target)); }

core::Status AtomicFile::ReplaceAs(const FileFolder& folder, const QString& name)
{
    if (folder.fd_ >= 0)
        return replace(folder.fd_, Native(name));
    return ReplaceAs(QDir(folder.Path()).filePath(name));
}

core::Status AtomicFile::replace(int dir, const QByteArray& target)
{
    if (unnamed_) {
        // Named when the name is free; else it now has a temporary name
        // and replaces the file below, or it failed.
        const auto hold = services::HoldOffStop(); // named, or not
        const core::Result<bool> named = nameUnnamed(dir, target);
        if (named.ok() && *named)
            return core::Ok();
        if (tempPath_.isEmpty()) {
            Discard();
            return named.failed() ? core::Status(named.failure()) : core::Status(Fail(QStringLiteral("it can't be named")));
        }
    }
    closeFile();
#ifdef Q_OS_UNIX
    // rename() puts the new file in place of whatever has the name in one
    // step, and replaces a symlink itself rather than what it points to.
    struct stat st;
    if (::fstatat(dir, target.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
        ::chmod(Native(tempPath_).constData(), st.st_mode & 07777);
    const auto hold = services::HoldOffStop(); // named and no longer temporary, or neither
    if (::renameat(AT_FDCWD, Native(tempPath_).constData(), dir, target.constData()) == 0) {
        forget();
        return core::Ok();
    }
    const core::Failure failed = Reason(errno);
#else
    Q_UNUSED(dir);
    const QString path = QString::fromLocal8Bit(target);
    QFile::remove(path);
    if (QFile::rename(tempPath_, path)) {
        forget();
        return core::Ok();
    }
    const core::Failure failed = Fail(QStringLiteral("it can't be replaced"));
#endif
    Discard();
    return failed;
}

core::Result<AtomicFile::Naming> AtomicFile::ClaimAs(const QString& target)
{
#ifdef O_TMPFILE
    if (unnamed_) {
        // Linked only where nothing has the name; the file stays open for
        // the next name when it is taken.
        const auto hold = services::HoldOffStop();
        if (LinkUnnamed(handle(), AT_FDCWD, Native(target).constData()) == 0) {
            closeFile();
            return Naming::Named;
        }
        if (errno == EEXIST)
            return Naming::Taken;
        const core::Failure failed = Reason(errno);
        Discard();
        return failed;
    }
#endif
    closeFile();
#ifdef Q_OS_UNIX
    // A hard link never replaces what is there, a symlink included.
    const auto hold = services::HoldOffStop(); // named and no longer temporary, or neither
    if (::link(Native(tempPath_).constData(), Native(target).constData()) == 0) {
        ::unlink(Native(tempPath_).constData());
        forget();
        return Naming::Named;
    }
    if (errno == EEXIST)
        return Naming::Taken;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) {
        const core::Failure failed = Reason(errno);
        Discard();
        return failed;
    }
    // A file system without hard links: rename when the name is free.
    struct stat st;
    if (::lstat(Native(target).constData(), &st) == 0)
        return Naming::Taken;
    if (::rename(Native(tempPath_).constData(), Native(target).constData()) == 0) {
        forget();
        return Naming::Named;
    }
    const core::Failure failed = Reason(errno);
#else
    if (QFileInfo::exists(target))
        return Naming::Taken;
    if (QFile::rename(tempPath_, target)) {
        forget();
        return Naming::Named;
    }
    const core::Failure failed = Fail(QStringLiteral("it can't be renamed"));
#endif
    Discard();
    return failed;
}

void AtomicFile::forget()
{
    if (!tempPath_.isEmpty())
        services::RemoveStopTemporary(core::ToLocalBytes(tempPath_));
    tempPath_.clear();
}

void AtomicFile::Discard()
{
    closeFile();
    if (!tempPath_.isEmpty()) {
#ifdef Q_OS_UNIX
        ::unlink(Native(tempPath_).constData());
#else
        QFile::remove(tempPath_);
#endif
    }
    forget();
}

void AtomicFile::RemoveAbandoned(const QString& folder, const QString& suffix)
{
#ifdef Q_OS_UNIX
    // The folder is listed by its bytes, so one whose name is not UTF-8 is
    // cleaned as well.
    const QByteArray dirBytes = Native(folder);
    const QByteArray prefix = Native(kTempPrefix), end = Native(suffix);
    DIR* dir = ::opendir(dirBytes.constData());
    if (!dir)
        return;
    QList<QByteArray> temps;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith(prefix) && name.endsWith(end))
            temps.append(name);
    }
    ::closedir(dir);
    for (const QByteArray& name : temps) {
        const QByteArray path = dirBytes + '/' + name;
        // The owner holds a lock for as long as it writes; a free lock and a
        // process that is gone mean the job ended without finishing.
        if (Alive(OwnerOf(QString::fromLatin1(name))))
            continue;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
#else
    const QStringList temps =
        QDir(folder).entryList({kTempPrefix + QStringLiteral("*") + suffix}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : temps)
        QFile::remove(QDir(folder).filePath(name)); // fails while another job has it open
#endif
}

core::Status AtomicFile::SyncFileSystem(const QString& folder)
{
#ifdef Q_OS_LINUX
    const int fd = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Reason(errno);
    const int done = ::syncfs(fd);
    const int err = errno;
    ::close(fd);
    return done == 0 ? core::Ok() : core::Status(Reason(err));
#elif defined(Q_OS_UNIX)
    Q_UNUSED(folder);
    ::sync();
    return core::Ok();
#else
    Q_UNUSED(folder);
    return core::Ok();
#endif
}

} // namespace files
