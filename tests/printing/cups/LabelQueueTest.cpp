// CUPS queues with no driver ("lpadmin -m raw"), as label printers are
// often set up: the program writes them ZPL itself and never fails for
// lack of media. One sends to a network printer's raw port (a listener of
// the test's own; CUPS 2.4 writes no raw job to a file: device) and
// passes what every print target does; another forwards over IPP to a
// second server's ZPL queue that prints to a file, printed to from the
// command line as a user would. Each test starts its own cupsd (OwnCupsd)
// and stops only that.
#include "printing/JobFollow.h"
#include "printing/LabelPrinter.h"
#include "printing/Printers.h"
#include "tests/printing/cups/OwnCupsd.h"
#include "tests/support/LabelLanguages.h"
#include "tests/support/TargetCases.h"
#include "tests/support/UnattendedRun.h"
#include "tests/support/WaitUntil.h"

#include <QLocale>
#include <QStandardPaths>
#include <arpa/inet.h>
#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using testsupport::OwnCupsd;

#define SKIP_WITHOUT_CUPSD()                                                                                          \
    if (geteuid() != 0 ||                                                                                             \
        QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")}).isEmpty()) \
    GTEST_SKIP() << "cupsd needs root and the cups package (scripts/deps)"

bool AddQueue(const OwnCupsd& cups, const QString& name, const QString& device, const QString& model, QString* said)
{
    return cups.Admin(QStringLiteral("lpadmin"),
                      {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"), device, QStringLiteral("-m"), model},
                      said);
}

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

std::vector<QImage> Pages(const QByteArray& zpl)
{
    const auto labels = testsupport::ReadZplLabels(zpl);
    EXPECT_TRUE(labels.ok()) << labels.failure().text.toStdString() << "\n" << zpl.left(200).toStdString();
    std::vector<QImage> pages;
    if (labels.ok())
        for (const testsupport::ReadLabel& l : *labels)
            pages.push_back(testsupport::WithQuietZone(l.picture));
    return pages;
}

// Every barcode text on the pages (of the stored symbology, whichever).
QStringList Texts(const std::vector<QImage>& pages)
{
    QStringList texts;
    for (const QImage& page : pages)
        for (const testsupport::Decoded& d : testsupport::DecodeAll(page))
            texts << QString::fromStdString(d.text);
    texts.sort();
    return texts;
}

} // namespace

TEST(CupsLabels, RawQueueToARawPort_GetsZpl_AndPassesWhatEveryTargetDoes)
{
    SKIP_WITHOUT_CUPSD();
    OwnCupsd cups;
    ASSERT_TRUE(cups.Running()) << cups.ErrorLog().toStdString();
    RawPort printer;
    ASSERT_NE(printer.Port(), 0);
    QString said;
    ASSERT_TRUE(AddQueue(cups, QStringLiteral("Raw"), QStringLiteral("socket://127.0.0.1:%1").arg(printer.Port()),
                         QStringLiteral("raw"), &said))
        << said.toStdString();

    const printing::Printers printers;
    std::unique_ptr<printing::LabelPrinter> label = printers.OpenLabelPrinter(QStringLiteral("Raw"));
    ASSERT_NE(label, nullptr) << "a queue with no driver is a label printer";
    EXPECT_EQ(label->Language(), files::LabelLanguage::Zpl);
    // No media of its own, no size set: the default label, and a sheet's
    // page as the label on sheets.
    const core::Result<QString> page = printers.PageSummary(QStringLiteral("Raw"));
    ASSERT_TRUE(page.ok()) << page.failure().text.toStdString();
    EXPECT_EQ(*page, QStringLiteral("4 × 6 in label, 203 dpi, printable to the edges, in ZPL"));

    testsupport::TargetUnderTest t{std::move(label), [&](const printing::JobDone& done) -> std::vector<QImage> {
                                       EXPECT_TRUE(done.cupsJob.has_value()) << "no job was sent to CUPS";
                                       if (!done.cupsJob)
                                           return {};
                                       printing::CupsJob job = *done.cupsJob;
                                       const core::Status printed = printing::WaitForJob(job, 60);
                                       printing::ForgetJob(job);
                                       EXPECT_TRUE(printed.ok()) << printed.failure().text.toStdString() << "\n"
                                                                 << cups.ErrorLog().toStdString();
                                       return Pages(printer.Take());
                                   }};
    testsupport::ExpectWhatEveryTargetDoes(t);
}

TEST(CupsLabels, RawQueueForwardingOverIpp_PrintsFromTheCommandLine_WithTheSizeGiven)
{
    SKIP_WITHOUT_CUPSD();
    const int port = testsupport::FreeLoopbackPort();
    OwnCupsd server(port, false);
    ASSERT_TRUE(server.Running()) << server.ErrorLog().toStdString();
    // The second server's queue is CUPS' own ZPL label driver, on a label
    // printer's raw port: a raw job passes its driver unchanged.
    RawPort printer;
    ASSERT_NE(printer.Port(), 0);
    QString said;
    ASSERT_TRUE(AddQueue(server, QStringLiteral("Zpl"), QStringLiteral("socket://127.0.0.1:%1").arg(printer.Port()),
                         QStringLiteral("drv:///sample.drv/zebra.ppd"), &said))
        << said.toStdString();
    OwnCupsd cups;
    ASSERT_TRUE(cups.Running()) << cups.ErrorLog().toStdString();
    ASSERT_TRUE(AddQueue(cups, QStringLiteral("Forward"), QStringLiteral("ipp://127.0.0.1:%1/printers/Zpl").arg(port),
                         QStringLiteral("raw"), &said))
        << said.toStdString();

    testsupport::UnattendedRun run;
    run.Store("line", QStringLiteral("*"));
    const QString lines = run.writeFile(QStringLiteral("lines.txt"), "Parcel\r\n*FWD-1\r\n*FWD-2\r\n");
    const auto quorvane = [&](const QStringList& args) {
        testsupport::RunOptions o;
        o.args = args;
        o.env = {{QStringLiteral("CUPS_SERVER"), cups.Socket().toLocal8Bit()}};
        return run.run(o);
    };
    const QStringList onForward{QStringLiteral("--printer"), QStringLiteral("Forward"), QStringLiteral("--media"),
                                QStringLiteral("3x2in"), QStringLiteral("--darkness"), QStringLiteral("20")};

    const testsupport::ProgramRun dry = quorvane(QStringList{QStringLiteral("print"), lines, QStringLiteral("--dry-run")} + onForward);
    ASSERT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    for (const char* line : {"Language: ZPL\n", "Label: 3x2in, 609 × 406 dots at 203 dpi, from the size set for this printer\n"})
        EXPECT_TRUE(dry.out.contains(QString::fromUtf8(line))) << line << " in:\n" << dry.out.toStdString();

    const testsupport::ProgramRun printed = quorvane(QStringList{QStringLiteral("print"), lines} + onForward);
    ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString() << cups.ErrorLog().toStdString();
    EXPECT_FALSE(printed.err.contains(QStringLiteral("names no default media")));
    // The first server's job is done when the second has it; that one
    // prints on its own time.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return printer.Jobs() >= 1; }, 60000, 50)) << server.ErrorLog().toStdString();
    const QByteArray zpl = printer.Take();
    const auto labels = testsupport::ReadZplLabels(zpl);
    ASSERT_TRUE(labels.ok()) << labels.failure().text.toStdString();
    ASSERT_GE(labels->size(), 1u);
    EXPECT_TRUE(dry.out.contains(QStringLiteral("Labels: %1, %2 bytes in ZPL")
                                          .arg(labels->size())
                                          .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(zpl.size()))))
        << "the dry run counts what prints:\n" << dry.out.toStdString();
    for (const testsupport::ReadLabel& l : *labels) {
        EXPECT_EQ(l.width, 609);
        EXPECT_EQ(l.length, 406);
        EXPECT_EQ(l.darkness, 20);
    }
    EXPECT_EQ(Texts(Pages(zpl)), QStringList({QStringLiteral("FWD-1"), QStringLiteral("FWD-2")}));
}
