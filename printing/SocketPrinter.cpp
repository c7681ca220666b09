#include "printing/SocketPrinter.h"

#include "services/Termination.h"

#include <QElapsedTimer>
#include <QLocale>
#include <algorithm>
#include <cstring>
#include <utility>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace printing {
namespace {

QString Count(qint64 n) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(n); }

core::Failure BadUri(const QString& text) { return core::Failure{core::kBadName, text}; }

bool IsHostChar(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('.') ||
           c == QLatin1Char('_');
}

bool IsIpv6Char(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) || c == QLatin1Char(':') || c == QLatin1Char('.');
}

} // namespace

QString SocketAddressText(const SocketAddress& address)
{
    const bool ipv6 = address.host.contains(QLatin1Char(':'));
    return (ipv6 ? QStringLiteral("[%1]:%2") : QStringLiteral("%1:%2")).arg(address.host).arg(address.port);
}

bool IsSocketUri(const QString& name) { return name.startsWith(QLatin1String("socket://"), Qt::CaseInsensitive); }

core::Result<SocketAddress> ParseSocketUri(const QString& uri)
{
    if (!IsSocketUri(uri))
        return BadUri(QStringLiteral("\"%1\" is not a printer's network address: it does not start with socket://.").arg(uri));
    QString rest = uri.mid(9);
    if (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    SocketAddress address;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0)
            return BadUri(QStringLiteral("\"%1\" opens a bracket for an IPv6 address and does not close it.").arg(uri));
        address.host = rest.mid(1, close - 1);
        if (!address.host.contains(QLatin1Char(':')) || !std::all_of(address.host.begin(), address.host.end(), IsIpv6Char))
            return BadUri(QStringLiteral("\"%1\" has \"%2\" in brackets, which is not an IPv6 address.").arg(uri, address.host));
        rest = rest.mid(close + 1);
    } else {
        const qsizetype end = std::find_if(rest.begin(), rest.end(), [](QChar c) { return !IsHostChar(c); }) - rest.begin();
        address.host = rest.left(end);
        rest = rest.mid(end);
        if (rest.startsWith(QLatin1Char(':')) && rest.mid(1).contains(QLatin1Char(':')))
            return BadUri(QStringLiteral("\"%1\" looks like an IPv6 address without brackets: write it as "
                                         "socket://[ADDRESS]:PORT.")
                              .arg(uri));
        if (address.host.isEmpty())
            return BadUri(QStringLiteral("\"%1\" names no printer: the host is missing.").arg(uri));
    }
    // After the host: nothing, or a colon and the port.
    auto after = [&](const QString& tail) {
        return BadUri(QStringLiteral("\"%1\" has \"%2\" after the printer's address: only socket://HOST[:PORT] is taken.")
                          .arg(uri, tail));
    };
    if (rest.isEmpty())
        return address;
    if (!rest.startsWith(QLatin1Char(':')))
        return after(rest);
    const QString port = rest.mid(1);
    const qsizetype digits = std::find_if(port.begin(), port.end(), [](QChar c) { return !c.isDigit(); }) - port.begin();
    if (digits > 0 && (port.mid(digits).startsWith(QLatin1Char('/')) || port.mid(digits).startsWith(QLatin1Char('?'))))
        return after(port.mid(digits));
    bool ok = digits == port.size() && digits > 0 && digits <= 5;
    address.port = ok ? port.toInt(&ok) : 0;
    if (!ok || address.port < 1 || address.port > 65535)
        return BadUri(QStringLiteral("\"%1\" has the port \"%2\", which is not a number from 1 to 65535.").arg(uri, port));
    return address;
}

#ifndef _WIN32

namespace {

constexpr int kSliceMs = 100; // the longest a wait goes without looking for a stop

// One connection to the printer, closed when it goes.
class Connection {
public:
    explicit Connection(int fd) : fd_(fd) {}
    ~Connection()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    int fd() const { return fd_; }
    // The socket, no longer closed by this.
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

enum class Wait { Ready, TimedOut, Stopped, Failed };

// Polls for `events` until the deadline, a tenth of a second at a time,
// looking for a stop between.
Wait WaitFor(int fd, short events, const QElapsedTimer& since, int timeoutMs, short* revents = nullptr)
{
    for (;;) {
        if (services::TerminationRequested())
            return Wait::Stopped;
        const qint64 left = timeoutMs - since.elapsed();
        if (left <= 0)
            return Wait::TimedOut;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::min<qint64>(left, kSliceMs)));
        if (n < 0 && errno != EINTR)
            return Wait::Failed;
        if (n > 0) {
            if (revents)
                *revents = p.revents;
            return Wait::Ready;
        }
    }
}

QString Seconds(int ms) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(ms / 1000.0, 'g', 3); }

core::Failure Failed(const QString& text) { return core::Failure{core::kPrintFailed, text}; }
core::Failure Stopped(const QString& at, qint64 sent, qint64 total)
{
    return core::Failure{core::kStopped, QStringLiteral("Sending to the printer at %1 was stopped after %2 of %3 bytes.")
                                             .arg(at, Count(sent), Count(total))};
}

// Connects to one of the host's addresses; the socket, or why none took it.
core::Result<int> Connect(const addrinfo* list, const QString& at, const SocketTimeouts& t, qint64 total)
{
    QElapsedTimer since;
    since.start();
    int lastError = ECONNREFUSED;
    for (const addrinfo* ai = list; ai; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        Connection c(fd);
        if (::connect(fd, ai->ai_addr, ai->ai_addrlen) != 0) {
            if (errno != EINPROGRESS) {
                lastError = errno;
                continue;
            }
            switch (WaitFor(fd, POLLOUT, since, t.connectMs)) {
            case Wait::Stopped:
                return Stopped(at, 0, total);
            case Wait::TimedOut:
                return Failed(QStringLiteral("The printer at %1 did not answer within %2 seconds: nothing was sent.")
                                  .arg(at, Seconds(t.connectMs)));
            case Wait::Failed:
                lastError = errno;
                continue;
            case Wait::Ready:
                break;
            }
            int error = 0;
            socklen_t len = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
                error = errno;
            if (error != 0) {
                lastError = error;
                continue;
            }
        }
        return c.Release();
    }
    if (lastError == ECONNREFUSED)
        return Failed(QStringLiteral("The printer at %1 refused the connection: nothing listens on that port. Nothing was sent.")
                          .arg(at));
    return Failed(QStringLiteral("The printer at %1 could not be reached (%2): nothing was sent.")
                      .arg(at, QString::fromLocal8Bit(std::strerror(lastError))));
}

} // namespace

core::Status SendToSocket(const SocketAddress& address, QByteArrayView job, const SocketTimeouts& t)
{
    const QString at = SocketAddressText(address);
    const qint64 total = job.size();
    if (services::TerminationRequested())
        return Stopped(at, 0, total);

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const QByteArray host = address.host.toUtf8(), port = QByteArray::number(address.port);
    if (const int e = ::getaddrinfo(host.constData(), port.constData(), &hints, &list); e != 0)
        return Failed(QStringLiteral("The printer's host \"%1\" is not known (%2): nothing was sent.")
                          .arg(address.host, QString::fromLocal8Bit(::gai_strerror(e))));
    core::Result<int> connected = Connect(list, at, t, total);
    ::freeaddrinfo(list);
    if (connected.failed())
        return connected.failure();
    const Connection c(*connected);

    // Every byte, at the pace the printer takes them.
    qint64 sent = 0;
    QElapsedTimer progress;
    progress.start();
    while (sent < total) {
        const ssize_t n = ::send(c.fd(), job.data() + sent, static_cast<size_t>(std::min<qint64>(total - sent, 1 << 20)),
                                 MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            progress.restart();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            switch (WaitFor(c.fd(), POLLOUT, progress, t.stallMs)) {
            case Wait::Stopped:
                return Stopped(at, sent, total);
            case Wait::TimedOut:
                return Failed(QStringLiteral("The printer at %1 took no more bytes for %2 seconds, after %3 of %4 bytes.")
                                  .arg(at, Seconds(t.stallMs), Count(sent), Count(total)));
            case Wait::Ready:
            case Wait::Failed:
                continue; // the next send says what became of the connection
            }
        }
        if (n < 0 && (errno == EPIPE || errno == ECONNRESET))
            return Failed(QStringLiteral("The printer at %1 closed the connection after %2 of %3 bytes.")
                              .arg(at, Count(sent), Count(total)));
        return Failed(QStringLiteral("The job could not be written to the printer at %1 (%2) after %3 of %4 bytes.")
                          .arg(at, QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO)), Count(sent), Count(total)));
    }

    // No more bytes will come. A printer that then closes its side has read
    // them; one that resets it dropped some unread.
    ::shutdown(c.fd(), SHUT_WR);
    QElapsedTimer closing;
    closing.start();
    char sink[4096];
    for (;;) {
        // A stop now leaves the job as it is: every byte is out, and the
        // printer prints them whether or not its close is waited for.
        if (WaitFor(c.fd(), POLLIN, closing, t.closeMs) != Wait::Ready)
            return core::Ok();
        const ssize_t n = ::recv(c.fd(), sink, sizeof sink, 0);
        if (n == 0)
            return core::Ok();
        if (n > 0 || errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
            continue; // what the printer says back (a status it was asked for) is dropped
        if (errno == ECONNRESET)
            return Failed(QStringLiteral("The printer at %1 reset the connection after all %2 bytes were sent: it may "
                                         "not have read them all.")
                              .arg(at, Count(total)));
        return Failed(QStringLiteral("The connection to the printer at %1 failed after all %2 bytes were sent (%3): it "
                                     "may not have received them all.")
                          .arg(at, Count(total), QString::fromLocal8Bit(std::strerror(errno))));
    }
}

#else

core::Status SendToSocket(const SocketAddress& address, QByteArrayView, const SocketTimeouts&)
{
    return core::Failure{core::kPrintFailed, QStringLiteral("The printer at %1 can't be reached: this build sends to "
                                                            "network printers only on Linux and other POSIX systems.")
                                                 .arg(SocketAddressText(address))};
}

#endif

} // namespace printing
