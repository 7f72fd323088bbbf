#include "platform/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <mutex>

namespace tavrin::platform {
namespace {

int stopPipe[2] = {-1, -1};

// Only what is safe in a signal handler: one write that never blocks.
void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(stopPipe[1], &byte, 1);
}

}  // namespace

int WatchStopSignals()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        ::sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
    });
    return stopPipe[0];
}

void DrainStopSignals()
{
    char drained[16];
    while (stopPipe[0] >= 0 && ::read(stopPipe[0], drained, sizeof drained) > 0) { }
}

}  // namespace tavrin::platform
