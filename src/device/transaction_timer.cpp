#include "device/transaction_timer.h"

#include <thread>

namespace tavrin::device {

void SystemTimer::Sleep(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

WaitResult SystemTimer::Wait(AutoResetEvent& event, std::chrono::milliseconds timeout)
{
    return event.WaitFor(timeout) ? WaitResult::Signalled : WaitResult::TimedOut;
}

}  // namespace tavrin::device
