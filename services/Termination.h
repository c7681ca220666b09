// A request to end the program (SIGTERM, SIGINT, SIGHUP) turned into a flag
// that long actions check between steps, so an unattended run stops at a
// clean point: the job in progress is dropped, nothing half-written is left,
// and the settings store is never cut off in the middle of a write.
//
// Some steps are long and can't be cut into pieces (drawing a picture of
// hundreds of millions of pixels, encoding it): while a StopWatch is alive
// a stop ends the program from a thread of its own within a few hundredths
// of a second, wherever the work is. Temporary files are removed, every
// file that already has its name is whole, and the program exits with 1.
#pragma once

#include <QByteArray>
#include <functional>
#include <memory>
#include <mutex>

namespace services {

// Installs the handlers; from then on the signals only raise the flag.
void InstallTerminationHandler();

bool TerminationRequested();

// Raises the same flag from inside the program: the window's Stop and Exit
// end a run as a signal ends an unattended one.
void RequestStop();
// Lowers the flag again, before the window starts a new run.
void ClearStopRequest();

// Watches the flag while it lives. On a stop it waits for any step held
// by HoldOffStop, removes the registered temporary files, calls
// `farewell` (which tells what was done) and exits the process with 1.
class StopWatch {
public:
    explicit StopWatch(std::function<void()> farewell);
    ~StopWatch();
    StopWatch(const StopWatch&) = delete;
    StopWatch& operator=(const StopWatch&) = delete;

    // Ends the program as a stop does, at once: for the work that finds
    // the flag raised itself.
    [[noreturn]] void StopNow();

private:
    struct Thread;
    std::unique_ptr<Thread> thread_;
};

// Keeps a stop from ending the program until the lock is released: for a
// finished file getting its name and being counted, so that what the
// farewell tells is what is on disk.
std::unique_lock<std::recursive_mutex> HoldOffStop();

// The temporary files a stop removes, by the bytes of their paths: added
// when created, taken off when they get their name or are removed.
void AddStopTemporary(const QByteArray& path);
void RemoveStopTemporary(const QByteArray& path);

} // namespace services
