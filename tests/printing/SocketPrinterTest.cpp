// Jobs written to a network printer's raw port: a listener of the test's
// own on the loopback takes the job (or refuses it, or stops half-way) and
// the sender says how far it got; the printer's address as written.
#include "printing/SocketPrinter.h"
#include "services/Termination.h"
#include "tests/support/LabelLanguages.h"
#include "tests/support/TargetCases.h"
#include "tests/support/UnattendedRun.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using printing::SocketAddress;

namespace {

// A printer's port on the loopback (an ephemeral port) that takes one
// connection on a thread of its own and does with it what the case says.
// Everything it opened is closed and its thread joined when it goes.
class Listener {
public:
    enum class Does {
        ReadAll,        // reads until the sender closes, then closes
        CloseAfter4096, // reads 4,096 bytes and closes, the rest unread
        NeverRead,      // takes the connection and reads nothing
        StopTheRun,     // reads nothing, and asks for a stop once bytes arrive
        NotListen,      // the port is bound but nobody listens
        Full,           // listens with a full backlog: a connection is never taken
    };

    explicit Listener(Does does, int family = AF_INET) : does_(does)
    {
        fd_ = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_storage a{};
        socklen_t len = family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
        if (family == AF_INET6) {
            auto* a6 = reinterpret_cast<sockaddr_in6*>(&a);
            a6->sin6_family = AF_INET6;
            a6->sin6_addr = in6addr_loopback;
        } else {
            auto* a4 = reinterpret_cast<sockaddr_in*>(&a);
            a4->sin_family = AF_INET;
            a4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        }
        ok_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
              ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) == 0;
        if (!ok_)
            return;
        port_ = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&a)->sin6_port : reinterpret_cast<sockaddr_in*>(&a)->sin_port);
        if (does == Does::NotListen)
            return;
        ok_ = ::listen(fd_, does == Does::Full ? 0 : 4) == 0;
        if (does == Does::Full) {
            // One connection fills a backlog of 0: the next one's SYN is dropped.
            filler_ = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
            ok_ = ok_ && ::connect(filler_, reinterpret_cast<sockaddr*>(&a), len) == 0;
            return;
        }
        thread_ = std::thread([this] { Serve(); });
    }
    ~Listener()
    {
        Join();
        for (int fd : {fd_, filler_})
            if (fd >= 0)
                ::close(fd);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool Ok() const { return ok_; }
    int Port() const { return port_; }
    // What it read, once its connection is over.
    QByteArray Received()
    {
        Join();
        return received_;
    }

private:
    void Join()
    {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    // Waits for `events` a twentieth of a second at a time, until the
    // listener goes.
    bool Await(int fd, short events)
    {
        while (!done_) {
            pollfd p{fd, events, 0};
            if (::poll(&p, 1, 50) > 0)
                return true;
        }
        return false;
    }
    void Serve()
    {
        if (!Await(fd_, POLLIN))
            return;
        const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        char buffer[65536];
        const qsizetype limit = does_ == Does::CloseAfter4096 ? 4096 : -1;
        switch (does_) {
        case Does::ReadAll:
        case Does::CloseAfter4096:
            while ((limit < 0 || received_.size() < limit) && Await(c, POLLIN)) {
                const qsizetype want = limit < 0 ? qsizetype(sizeof buffer) : std::min<qsizetype>(sizeof buffer, limit - received_.size());
                const ssize_t n = ::recv(c, buffer, static_cast<size_t>(want), 0);
                if (n <= 0)
                    break;
                received_.append(buffer, n);
            }
            break;
        case Does::StopTheRun:
            if (Await(c, POLLIN))
                services::RequestStop();
            Await(c, 0);
            break;
        default:
            Await(c, 0); // holds the connection, reading nothing
        }
        ::close(c);
    }

    Does does_;
    int fd_ = -1, filler_ = -1, port_ = 0;
    bool ok_ = false;
    std::atomic<bool> done_{false};
    std::thread thread_;
    QByteArray received_;
};

QByteArray Job(qsizetype size)
{
    QByteArray job(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        job[i] = static_cast<char>(i * 31 + i / 251);
    return job;
}

} // namespace

TEST(SocketPrinter, Jobs_ArriveWhole_OrFailSayingWhereAndHowFar)
{
    using Does = Listener::Does;
    const struct {
        Does does;
        qsizetype bytes;
        printing::SocketTimeouts timeouts;
        int code; // 0: the job is received whole
        QStringList says;
        const char* why;
    } cases[] = {
        {Does::ReadAll, 1 << 20, {}, 0, {}, "a megabyte, byte for byte"},
        {Does::ReadAll, 0, {}, 0, {}, "an empty job connects and closes"},
        {Does::CloseAfter4096, 16 << 20, {}, core::kPrintFailed, {"closed the connection after", "of 16,777,216 bytes"}, "more than the buffers hold: the send fails half-way"},
        {Does::CloseAfter4096, 10'240, {}, core::kPrintFailed, {"reset the connection after all 10,240 bytes were sent"}, "all of it buffered: the reset comes after"},
        {Does::NotListen, 100, {}, core::kPrintFailed, {"refused the connection", "Nothing was sent"}, "nothing listens on the port"},
        {Does::Full, 100, {300, 60'000, 2'000}, core::kPrintFailed, {"did not answer within 0.3 seconds: nothing was sent"}, "the connection is never taken"},
        {Does::NeverRead, 16 << 20, {10'000, 300, 2'000}, core::kPrintFailed, {"took no more bytes for 0.3 seconds, after", "of 16,777,216 bytes"}, "the printer stops taking bytes"},
        {Does::StopTheRun, 16 << 20, {}, core::kStopped, {"was stopped after", "of 16,777,216 bytes"}, "a stop ends the wait for a stalled printer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Listener printer(c.does);
        ASSERT_TRUE(printer.Ok());
        const QByteArray job = Job(c.bytes);
        const core::Status status = printing::SendToSocket({QStringLiteral("127.0.0.1"), printer.Port()}, job, c.timeouts);
        services::ClearStopRequest();
        if (c.code == 0) {
            ASSERT_TRUE(status.ok()) << status.failure().text.toStdString();
            EXPECT_TRUE(printer.Received() == job) << printer.Received().size() << " of " << job.size() << " bytes";
            continue;
        }
        ASSERT_TRUE(status.failed());
        EXPECT_EQ(status.failure().code, c.code);
        const QString text = status.failure().text;
        EXPECT_TRUE(text.contains(QStringLiteral("the printer at 127.0.0.1:%1").arg(printer.Port()), Qt::CaseInsensitive)) << text.toStdString();
        for (const QString& s : c.says)
            EXPECT_TRUE(text.contains(s)) << text.toStdString();
    }
}

TEST(SocketPrinter, Ipv6Loopback_TakesAJobToo)
{
    Listener printer(Listener::Does::ReadAll, AF_INET6);
    if (!printer.Ok())
        GTEST_SKIP() << "this machine has no IPv6 loopback";
    const QByteArray job = Job(100'000);
    const core::Result<SocketAddress> address = printing::ParseSocketUri(QStringLiteral("socket://[::1]:%1").arg(printer.Port()));
    ASSERT_TRUE(address.ok());
    const core::Status status = printing::SendToSocket(*address, job);
    ASSERT_TRUE(status.ok()) << status.failure().text.toStdString();
    EXPECT_TRUE(printer.Received() == job);
}

TEST(SocketPrinter, Uris_GiveHostAndPort_OrSayWhatIsWrong)
{
    const struct {
        const char* uri;
        const char* host; // nullptr: refused
        int port;
        const char* says; // the address as messages name it, or the reason
    } cases[] = {
        {"socket://printer.lan", "printer.lan", 9100, "printer.lan:9100"},
        {"SOCKET://10.0.0.5:6101/", "10.0.0.5", 6101, "10.0.0.5:6101"},
        {"socket://[::1]:9101", "::1", 9101, "[::1]:9101"},
        {"socket://[fe80::1]", "fe80::1", 9100, "[fe80::1]:9100"},
        {"ipp://printer.lan/ipp/print", nullptr, 0, "does not start with socket://"},
        {"socket://", nullptr, 0, "the host is missing"},
        {"socket://:9100", nullptr, 0, "the host is missing"},
        {"socket://printer:0", nullptr, 0, "the port \"0\", which is not a number from 1 to 65535"},
        {"socket://printer:65536", nullptr, 0, "not a number from 1 to 65535"},
        {"socket://printer:", nullptr, 0, "the port \"\""},
        {"socket://printer:91x0", nullptr, 0, "the port \"91x0\""},
        {"socket://printer:9100?waiteof=false", nullptr, 0, "\"?waiteof=false\" after the printer's address"},
        {"socket://printer/queue", nullptr, 0, "\"/queue\" after the printer's address"},
        {"socket://::1:9100", nullptr, 0, "an IPv6 address without brackets"},
        {"socket://[::1:9100", nullptr, 0, "does not close it"},
        {"socket://[printer]:9100", nullptr, 0, "not an IPv6 address"},
        {"socket://user@printer", nullptr, 0, "\"@printer\" after the printer's address"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.uri);
        const core::Result<SocketAddress> a = printing::ParseSocketUri(QString::fromUtf8(c.uri));
        ASSERT_EQ(a.ok(), c.host != nullptr) << (a.ok() ? std::string() : a.failure().text.toStdString());
        if (a.ok()) {
            EXPECT_EQ(a->host, QString::fromUtf8(c.host));
            EXPECT_EQ(a->port, c.port);
            EXPECT_EQ(printing::SocketAddressText(*a), QString::fromUtf8(c.says));
        } else {
            EXPECT_EQ(a.failure().code, core::kBadName);
            EXPECT_TRUE(a.failure().text.contains(QString::fromUtf8(c.says))) << a.failure().text.toStdString();
        }
    }
}

TEST(SocketPrinter, PrintToASocketAddress_SendsZplLabels_OrExitsOneSayingWhy)
{
    using Does = Listener::Does;
    testsupport::UnattendedRun run;
    run.Store("line", QStringLiteral("*"));
    QByteArray lines;
    for (int n = 1; n <= 60; ++n)
        lines += "Item " + QByteArray::number(n) + "\r\n*NET-" + QByteArray::number(n) + "\r\n";
    const QString file = run.writeFile(QStringLiteral("lines.txt"), lines);
    const struct {
        Does does;
        int exit;
        const char* says; // on stderr
    } cases[] = {
        {Does::ReadAll, 0, ""},
        {Does::CloseAfter4096, 1, "connection after"}, // closed half-way, or reset after the last byte
        {Does::NotListen, 1, "refused the connection"},
    };
    for (const auto& c : cases) {
        Listener printer(c.does);
        ASSERT_TRUE(printer.Ok());
        const QString uri = QStringLiteral("socket://127.0.0.1:%1").arg(printer.Port());
        const testsupport::ProgramRun r = run.quorvane({QStringLiteral("print"), file, QStringLiteral("--printer"), uri});
        SCOPED_TRACE(r.err.toStdString());
        EXPECT_EQ(r.exitCode, c.exit);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says)));
        if (c.exit != 0) {
            EXPECT_TRUE(r.err.contains(uri)) << "the printer is named";
            continue;
        }
        const auto labels = testsupport::ReadZplLabels(printer.Received());
        ASSERT_TRUE(labels.ok()) << labels.failure().text.toStdString();
        ASSERT_GE(labels->size(), 2u) << "a listing of 60 lines runs over several 4 × 6 in labels";
        std::vector<QImage> pages;
        for (const testsupport::ReadLabel& l : *labels) {
            EXPECT_EQ(l.width, 812);
            EXPECT_EQ(l.length, 1218);
            pages.push_back(testsupport::WithQuietZone(l.picture));
        }
        std::vector<std::string> texts;
        for (const QImage& page : pages)
            for (const testsupport::Decoded& d : testsupport::DecodeAll(page))
                texts.push_back(d.text);
        std::vector<std::string> expected = testsupport::targetcases::Numbered("NET-", 1, 60);
        std::sort(texts.begin(), texts.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(texts, expected) << "every line's barcode, of the stored symbology";
    }

    // A dry run connects to nothing: it says what would go, and how much.
    const testsupport::ProgramRun dry =
        run.quorvane({QStringLiteral("print"), file, QStringLiteral("--dry-run"), QStringLiteral("--printer"),
                      QStringLiteral("socket://127.0.0.1:9"), QStringLiteral("--language"), QStringLiteral("epl"),
                      QStringLiteral("--media"), QStringLiteral("4x3in")});
    ASSERT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    for (const char* line : {"Page: 4 × 3 in label, 203 dpi, printable to the edges, in EPL2\n", "Language: EPL2\n",
                             "Label: 4x3in, 812 × 609 dots at 203 dpi, from the size set for this printer\n",
                             " bytes in EPL2 (", "Nothing was printed (--dry-run)."})
        EXPECT_TRUE(dry.out.contains(QString::fromUtf8(line))) << line << " in:\n" << dry.out.toStdString();
}
