// Delivers one registration's notifications to its callback, in order, on a thread of its own,
// so that a callback that blocks holds up only its own registration.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "tolvex/tolvex.h"

namespace tolvex {

struct Notification {
    std::uint32_t kind = TOLVEX_NOTIFY_DATA;
    std::uint32_t presence = 0;  // for a state change
    std::vector<std::uint8_t> bytes;
};

class Dispatcher {
public:
    // Past this many waiting notifications the oldest are dropped: a callback that never returns
    // must not make the library grow without bound.
    static constexpr std::size_t kQueueLimit = 4096;

    Dispatcher(std::uint32_t handle, std::uint32_t tag, TolvexCallback callback);
    ~Dispatcher();
    Dispatcher(const Dispatcher&) = delete;
    Dispatcher& operator=(const Dispatcher&) = delete;

    void Post(Notification notification);
    // Asks the thread to end once the callback in progress, if any, has returned.
    void RequestStop();
    void Join();
    bool RunsOnThisThread() const { return std::this_thread::get_id() == thread_.get_id(); }
    // The record handed to the callback; its address identifies the registration.
    const TolvexRequestRecord* Record() const { return &record_; }

private:
    void Run();
    void Deliver(const Notification& notification);

    const std::uint32_t handle_;
    const std::uint32_t tag_;
    const TolvexCallback callback_;
    TolvexRequestRecord record_{};
    std::uint32_t sequence_ = 0;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Notification> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tolvex
