// Notices a change of the system clock (set by hand or by time synchronisation): a timer file
// descriptor armed far in the future on the real-time clock with cancel-on-set becomes readable
// when the clock is set.
#pragma once

namespace tavrin::platform {

class ClockChangeWatch {
public:
    ClockChangeWatch();
    ~ClockChangeWatch();
    ClockChangeWatch(const ClockChangeWatch&) = delete;
    ClockChangeWatch& operator=(const ClockChangeWatch&) = delete;

    // The descriptor to watch for reading; -1 when the system offers no such timer.
    int Descriptor() const { return fd_; }
    // After the descriptor became readable: true when the clock was set, and the watch is armed
    // again either way.
    bool ClockWasSet();

private:
    bool Arm();
    int fd_ = -1;
};

}  // namespace tavrin::platform
