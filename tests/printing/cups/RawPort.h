// A label printer's raw port on the loopback, and the CUPS queues in front
// of it: what the label printer tests share.
#pragma once

#include "tests/printing/cups/OwnCupsd.h"
#include "tests/support/Decode.h"
#include "tests/support/LabelLanguages.h"

#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

// A label printer's raw port on the loopback: takes one connection after
// another on a thread of its own and keeps what they bring.
class RawPort {
public:
    RawPort()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0 || ::listen(fd_, 4) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~RawPort()
    {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Port() const { return port_; }
    // The device URI of a queue that prints here.
    QString Uri() const { return QStringLiteral("socket://127.0.0.1:%1").arg(port_); }
    // The connections that have ended: jobs whole.
    int Jobs() const { return jobs_; }
    // What came since the last call.
    QByteArray Take()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(received_, QByteArray());
    }

private:
    bool Await(int fd)
    {
        while (!done_) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0)
                return true;
        }
        return false;
    }
    void Serve()
    {
        char buffer[65536];
        while (Await(fd_)) {
            const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            for (ssize_t n; c >= 0 && Await(c) && (n = ::recv(c, buffer, sizeof buffer, 0)) > 0;) {
                const std::lock_guard<std::mutex> lock(mutex_);
                received_.append(buffer, n);
            }
            if (c >= 0) {
                ::close(c); // the job is whole: the printer closes its side
                ++jobs_;
            }
        }
    }

    int fd_ = -1, port_ = 0;
    std::atomic<bool> done_{false};
    std::atomic<int> jobs_{0};
    std::thread thread_;
    std::mutex mutex_;
    QByteArray received_;
};

inline std::vector<QImage> Pages(const QByteArray& zpl)
{
    const auto labels = ReadZplLabels(zpl);
    EXPECT_TRUE(labels.ok()) << labels.failure().text.toStdString() << "\n" << zpl.left(200).toStdString();
    std::vector<QImage> pages;
    if (labels.ok())
        for (const ReadLabel& l : *labels)
            pages.push_back(WithQuietZone(l.picture));
    return pages;
}

// Every barcode text on the pages (of the stored symbology, whichever).
inline QStringList Texts(const std::vector<QImage>& pages)
{
    QStringList texts;
    for (const QImage& page : pages)
        for (const Decoded& d : DecodeAll(page))
            texts << QString::fromStdString(d.text);
    texts.sort();
    return texts;
}

} // namespace testsupport
