#include "files/SourceFile.h"

#include "core/TextCodec.h"
#include "files/AtomicFile.h"

#include <algorithm>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace files {
namespace {

constexpr qsizetype kBlockSize = 64 * 1024;

#ifndef Q_OS_WIN
qint64 Nanoseconds(const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; }
QString SystemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
#endif

} // namespace

SourceFile::~SourceFile()
{
#ifndef Q_OS_WIN
    if (held_ >= 0)
        ::close(held_);
#endif
}

core::Failure SourceFile::failure(int code, const QString& why) const
{
    return core::Failure{code, why, false, PlaceIn(path_)};
}

core::Status SourceFile::Open(const QString& path)
{
    path_ = path;
    const bool standardInput = path == QLatin1String("-");
    name_ = standardInput ? QStringLiteral("standard input") : ShownPath(path);
    const auto cannotOpen = [&](const QString& why) {
        return failure(core::kCannotOpen, standardInput ? QStringLiteral("Cannot read standard input: %1.").arg(why)
                                                        : QStringLiteral("Cannot open %1: %2.").arg(name_, why));
    };
#ifdef Q_OS_WIN
    if (standardInput)
        return cannotOpen(QStringLiteral("it is read only on Unix"));
    if (!input_.Open(path))
        return cannotOpen(input_.Error());
    return core::Ok();
#else
    // Opened without waiting: a FIFO without a writer yet must not block here.
    held_ = standardInput ? ::fcntl(0, F_DUPFD_CLOEXEC, 0)
                          : ::open(core::ToLocalBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (held_ < 0)
        return cannotOpen(standardInput ? QStringLiteral("it is closed") : SystemError(errno));
    struct stat info = {};
    if (::fstat(held_, &info) != 0)
        return cannotOpen(SystemError(errno));
    if (S_ISREG(info.st_mode)) {
        size_ = info.st_size;
        modified_ = Nanoseconds(info.st_mtim);
        // The reads go through InputFile, which opens a path: the path of
        // the held descriptor names the very file it holds, whatever has
        // become of the name meanwhile.
        if (input_.Open(QStringLiteral("/dev/fd/%1").arg(held_)))
            return core::Ok();
        // No /dev/fd on this system: the name, as it stands now.
    } else {
        const bool terminal = standardInput && ::isatty(held_);
        ::close(held_);
        held_ = -1;
        if (terminal)
            return cannotOpen(QStringLiteral("it is a terminal; pipe the data in or name a file"));
    }
    if (!input_.Open(standardInput ? QStringLiteral("/dev/stdin") : path))
        return cannotOpen(input_.Error());
    return core::Ok();
#endif
}

core::Status SourceFile::checkUnchanged(bool atEnd)
{
#ifndef Q_OS_WIN
    if (held_ < 0)
        return core::Ok();
    // The size and the time of the last write, not the time of the last
    // change: a rename (an editor keeping a backup) changes that, not the
    // contents.
    struct stat info = {};
    const bool same = ::fstat(held_, &info) == 0 && info.st_size == size_ && Nanoseconds(info.st_mtim) == modified_ &&
                      (!atEnd || bytesRead_ == size_);
    if (!same)
        return failure(core::kCannotRead,
                       QStringLiteral("%1 changed while it was being read; read it again once it is no longer being "
                                      "written.")
                           .arg(name_));
#else
    Q_UNUSED(atEnd);
#endif
    return core::Ok();
}

core::Result<bool> SourceFile::Read(QByteArray& to, qsizetype max)
{
    if (peeked_.isEmpty())
        return readInput(to, max);
    const qsizetype n = std::min(max, peeked_.size());
    to.append(peeked_.constData(), n);
    peeked_.remove(0, n);
    return true;
}

core::Result<bool> SourceFile::readInput(QByteArray& to, qsizetype max)
{
    const qsizetype had = to.size();
    to.resize(had + max);
    qint64 got = 0;
    const auto result = input_.Read(to.data() + had, max, got);
    to.resize(had + (result == services::InputFile::Result::Data ? got : 0));
    switch (result) {
    case services::InputFile::Result::Data:
        bytesRead_ += got;
        break;
    case services::InputFile::Result::End:
        break;
    case services::InputFile::Result::Failed:
        return failure(core::kCannotRead, QStringLiteral("Cannot read %1: %2.").arg(name_, input_.Error()));
    case services::InputFile::Result::Stopped:
        return failure(core::kStopped, QStringLiteral("Reading %1 was stopped.").arg(name_));
    }
    const bool atEnd = result == services::InputFile::Result::End;
    if (const auto unchanged = checkUnchanged(atEnd); unchanged.failed())
        return unchanged.failure();
    return !atEnd;
}

core::Result<QByteArray> SourceFile::Peek(qsizetype count)
{
    while (peeked_.size() < count) {
        const auto more = readInput(peeked_, count - peeked_.size());
        if (more.failed())
            return more.failure();
        if (!*more)
            break;
    }
    return peeked_.left(count);
}

core::Status SourceFile::ReadAll(QByteArray& to)
{
    for (;;) {
        const auto got = Read(to, std::max(kBlockSize, to.size() / 2));
        if (got.failed())
            return got.failure();
        if (!*got)
            return core::Ok();
    }
}

} // namespace files
