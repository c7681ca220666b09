// Where a process the test started stands, read from /proc (Linux): a test
// that signals a run sends the signal once the run is where the test means
// to stop it (blocked on its input, deep inside a line, holding memory),
// not after a pause that a busy machine outlasts.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {

inline QByteArray ProcFile(qint64 pid, const char* name)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The value of a "name: value" line of /proc/PID/status or /proc/PID/io.
inline long long ProcField(qint64 pid, const char* file, const QByteArray& name)
{
    for (const QByteArray& line : ProcFile(pid, file).split('\n'))
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// True once the process has the file open.
inline bool HasOpen(qint64 pid, const QString& path)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::System | QDir::Files))
        if (QFile::symLinkTarget(fds.filePath(fd)) == path)
            return true;
    return false;
}

// The process's main thread sleeps in poll(), as the program does while it
// waits for input. wchan names the kernel function a sleeping thread is
// in; where the kernel hides it ("0"), the system call it is in tells.
inline bool WaitsInPoll(qint64 pid)
{
    const QByteArray stat = ProcFile(pid, "stat");
    const qsizetype name = stat.lastIndexOf(')'); // the state follows the command name, which may hold anything
    if (name < 0 || stat.size() < name + 3 || stat[name + 2] != 'S')
        return false;
    const QByteArray wchan = ProcFile(pid, "wchan").trimmed();
    if (!wchan.isEmpty() && wchan != "0")
        return wchan.contains("poll");
    const long call = ProcFile(pid, "syscall").split(' ').value(0).toLong();
#ifdef SYS_poll
    if (call == SYS_poll)
        return true;
#endif
    return call == SYS_ppoll;
}

// Bytes the process has read so far, from files and pipes alike.
inline long long BytesRead(qint64 pid) { return ProcField(pid, "io", "rchar"); }

// Its resident memory, in KiB.
inline long long ResidentKiB(qint64 pid) { return ProcField(pid, "status", "VmRSS"); }

// The name of the program it runs now (after an exec).
inline QByteArray ProgramName(qint64 pid) { return ProcFile(pid, "comm").trimmed(); }

// Bytes written into a FIFO that no reader has taken yet. The FIFO is
// opened for reading beside its reader, which takes nothing from it.
inline int UnreadInFifo(const QString& fifo)
{
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int unread = -1;
    if (fd >= 0 && ::ioctl(fd, FIONREAD, &unread) != 0)
        unread = -1;
    if (fd >= 0)
        ::close(fd);
    return unread;
}

} // namespace testsupport
