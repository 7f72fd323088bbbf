// The window's keyboard traffic, off the window's thread: one thread that runs jobs one after the
// other, in the order they came. A job posted with a key replaces a job of the same key that has not
// started yet, so that a slider dragged over a slow keyboard sends only its newest value.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tavrin::profiles {

class KeyboardWorker {
public:
    using Job = std::function<void()>;

    KeyboardWorker();
    // Runs what is still queued, then ends the thread.
    ~KeyboardWorker();
    KeyboardWorker(const KeyboardWorker&) = delete;
    KeyboardWorker& operator=(const KeyboardWorker&) = delete;

    // Queues `job`. With a non-empty `key`, a queued job of that key that has not started yet is
    // replaced in its place, not added to; false when the worker has stopped (the job is not run).
    bool Post(Job job, const std::string& key = {});
    // Runs what is queued, then ends the thread; later posts are refused.
    void Stop();

    // Whether nothing is queued or running.
    bool Idle() const;
    // Whether the caller is the worker's own thread.
    bool OnWorkerThread() const { return std::this_thread::get_id() == thread_.get_id(); }
    // Jobs run and jobs replaced before they ran, for tests and the note of a slow keyboard.
    std::uint64_t Ran() const;
    std::uint64_t Replaced() const;

private:
    void Loop();

    struct Queued {
        std::string key;
        Job job;
    };
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Queued> queue_;  // guarded by mutex_, as are the fields below
    bool running_ = false;
    bool stopping_ = false;
    std::uint64_t ran_ = 0;
    std::uint64_t replaced_ = 0;
    std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace tavrin::profiles
