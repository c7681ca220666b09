#include "platform/Termination.h"

#include <csignal>
#include <initializer_list>

#ifndef _WIN32
#include <signal.h>
#endif

namespace platform {
namespace {

volatile std::sig_atomic_t g_requested = 0;

extern "C" void OnTerminate(int) { g_requested = 1; }

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

} // namespace platform
