#include "services/InputFile.h"

#include "core/TextCodec.h"
#include "services/EventPump.h"
#include "services/Termination.h"

#ifdef Q_OS_WIN
#include <QFile>
#include <QFileInfo>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace services {
namespace {

// How long one wait for data lasts before the stop flag is looked at
// again; a signal also ends the wait at once.
constexpr int kWaitMs = 100;

} // namespace

InputFile::~InputFile() { Close(); }

#ifdef Q_OS_WIN

bool InputFile::Open(const QString& path)
{
    Close();
    error_.clear();
    if (QFileInfo(path).isDir()) {
        error_ = QStringLiteral("it is a folder");
        return false;
    }
    file_ = new QFile(path);
    if (!file_->open(QIODevice::ReadOnly)) {
        error_ = file_->errorString();
        Close();
        return false;
    }
    return true;
}

InputFile::Result InputFile::Read(char* to, qint64 max, qint64& got)
{
    if (TerminationRequested())
        return Result::Stopped;
    got = file_ ? file_->read(to, max) : -1;
    if (got < 0) {
        error_ = file_ ? file_->errorString() : QStringLiteral("the file is not open");
        return Result::Failed;
    }
    return got == 0 ? Result::End : Result::Data;
}

void InputFile::Close()
{
    delete file_;
    file_ = nullptr;
}

#else

namespace {
QString SystemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
} // namespace

bool InputFile::Open(const QString& path)
{
    Close();
    error_.clear();
    const QByteArray name = core::ToLocalBytes(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error_ = QStringLiteral("it is a folder");
            return false;
        }
        if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
            error_ = QStringLiteral("it is a device, not a file");
            return false;
        }
    }
    // Without O_NONBLOCK, opening a FIFO waits until a writer opens it.
    do
        fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    while (fd_ < 0 && errno == EINTR && !TerminationRequested());
    if (fd_ < 0) {
        error_ = SystemError(errno);
        return false;
    }
    return true;
}

InputFile::Result InputFile::Read(char* to, qint64 max, qint64& got)
{
    got = 0;
    if (fd_ < 0) {
        error_ = QStringLiteral("the file is not open");
        return Result::Failed;
    }
    for (;;) {
        if (TerminationRequested())
            return Result::Stopped;
        // A FIFO that no writer has opened yet reports nothing here (a read
        // would say "end"); one whose writer has left reports a hang-up,
        // and the read then returns 0 for its end.
        pollfd wait = {fd_, POLLIN, 0};
        const int ready = ::poll(&wait, 1, kWaitMs);
        if (ready < 0 && errno != EINTR) {
            error_ = SystemError(errno);
            return Result::Failed;
        }
        if (ready <= 0) {
            Pump(whileWaiting_); // the window stays alive while a writer is awaited
            continue;
        }
        const ssize_t n = ::read(fd_, to, static_cast<size_t>(max));
        if (n > 0) {
            got = n;
            return Result::Data;
        }
        if (n == 0)
            return Result::End;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            error_ = SystemError(errno);
            return Result::Failed;
        }
    }
}

void InputFile::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

#endif

} // namespace services
