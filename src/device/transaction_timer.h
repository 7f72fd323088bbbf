// The waits of a transaction: the reply window, the pauses between attempts and the back-off when
// another transaction holds the reply slot. Tests replace the system timer with one that records
// the waits and returns at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace tavrin::device {

// Set by the library's thread when a reply has arrived; a wait consumes it.
class AutoResetEvent {
public:
    // The event must outlive every thread that may still set it.
    void Set()
    {
        {
            std::lock_guard lock(mutex_);
            signalled_ = true;
        }
        changed_.notify_one();
    }
    void Reset()
    {
        std::lock_guard lock(mutex_);
        signalled_ = false;
    }
    // True when the event was set within the time (and is now clear again).
    bool WaitFor(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex_);
        const bool signalled = changed_.wait_for(lock, timeout, [this] { return signalled_; });
        signalled_ = false;
        return signalled;
    }
    // True when set, without waiting; clears it.
    bool Take()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(signalled_, false);
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
};

enum class WaitResult { Signalled, TimedOut, Failed };

class TransactionTimer {
public:
    virtual ~TransactionTimer() = default;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
    virtual WaitResult Wait(AutoResetEvent& event, std::chrono::milliseconds timeout) = 0;
};

class SystemTimer final : public TransactionTimer {
public:
    void Sleep(std::chrono::milliseconds duration) override;
    WaitResult Wait(AutoResetEvent& event, std::chrono::milliseconds timeout) override;
};

}  // namespace tavrin::device
