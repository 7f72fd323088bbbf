#include "platform/clock_change_watch.h"

#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace tavrin::platform {

ClockChangeWatch::ClockChangeWatch()
{
    fd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0 && !Arm()) {
        close(fd_);
        fd_ = -1;
    }
}

ClockChangeWatch::~ClockChangeWatch()
{
    if (fd_ >= 0)
        close(fd_);
}

bool ClockChangeWatch::Arm()
{
    // An absolute time that never comes: only a clock change wakes the descriptor.
    itimerspec far{};
    far.it_value.tv_sec = static_cast<time_t>(INT32_MAX);
    return timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr) == 0;
}

bool ClockChangeWatch::ClockWasSet()
{
    if (fd_ < 0)
        return false;
    std::uint64_t expirations = 0;
    const ssize_t got = read(fd_, &expirations, sizeof expirations);
    const bool set = got < 0 && errno == ECANCELED;
    Arm();
    return set;
}

}  // namespace tavrin::platform
