#include "services/Termination.h"

#include <QList>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <initializer_list>
#include <thread>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#else
#include <cstdlib>
#include <io.h>
#endif

namespace services {
namespace {

volatile std::sig_atomic_t g_requested = 0;

// Only raises the flag: a signal handler writes nothing. What a stop has to
// say is written by the work that sees the flag, or by a StopWatch's
// farewell on its own thread, through the one writer of stderr.
extern "C" void OnTerminate(int) { g_requested = 1; }

// One lock for the temporary files and the steps a stop waits for.
std::recursive_mutex& StopLock()
{
    static std::recursive_mutex lock;
    return lock;
}

QList<QByteArray>& Temporaries()
{
    static QList<QByteArray> paths;
    return paths;
}

// How often the watch looks at the flag: a stop ends the program well
// within a tenth of a second.
constexpr auto kWatchPeriod = std::chrono::milliseconds(10);

} // namespace

void InstallTerminationHandler()
{
#ifdef _WIN32
    std::signal(SIGTERM, OnTerminate);
    std::signal(SIGINT, OnTerminate);
#else
    struct sigaction action = {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
#endif
}

bool TerminationRequested() { return g_requested != 0; }

void RequestStop() { g_requested = 1; }
void ClearStopRequest() { g_requested = 0; }

std::unique_lock<std::recursive_mutex> HoldOffStop() { return std::unique_lock<std::recursive_mutex>(StopLock()); }

void AddStopTemporary(const QByteArray& path)
{
    const std::lock_guard<std::recursive_mutex> hold(StopLock());
    Temporaries().append(path);
}

void RemoveStopTemporary(const QByteArray& path)
{
    const std::lock_guard<std::recursive_mutex> hold(StopLock());
    Temporaries().removeOne(path);
}

struct StopWatch::Thread {
    std::function<void()> farewell;
    std::mutex mutex;
    std::condition_variable wake;
    bool ending = false; // the watch is being taken down
    std::thread thread;
};

StopWatch::StopWatch(std::function<void()> farewell) : thread_(std::make_unique<Thread>())
{
    thread_->farewell = std::move(farewell);
    thread_->thread = std::thread([this] {
        std::unique_lock<std::mutex> lock(thread_->mutex);
        while (!thread_->ending) {
            if (TerminationRequested()) {
                lock.unlock();
                StopNow();
            }
            thread_->wake.wait_for(lock, kWatchPeriod);
        }
    });
}

StopWatch::~StopWatch()
{
    {
        const std::lock_guard<std::mutex> lock(thread_->mutex);
        thread_->ending = true;
    }
    thread_->wake.notify_all();
    thread_->thread.join();
}

void StopWatch::StopNow()
{
    // Held until the process ends: a second caller, the work included,
    // waits here and never gets past.
    StopLock().lock();
    for (const QByteArray& path : Temporaries())
        ::unlink(path.constData());
    if (thread_->farewell)
        thread_->farewell();
    std::fflush(stderr);
    std::fflush(stdout);
    ::_exit(1);
}

} // namespace services
