// Follows the keyboard coming and going. Every presence notification runs OnKeyboardPresence on a
// worker thread of its own; each worker draws a ticket when it starts and acts only in its ticket's
// turn, so that the last known presence changes in the order the notifications came.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tavrin::profiles {

class KeyboardPresence {
public:
    // What a worker needs of the main window; all are called on the worker's thread, in the order
    // listed, and may wait for the window's thread.
    struct Window {
        std::function<bool()> ready;                 // the window has finished starting up
        std::function<void()> arrived;               // the keyboard came: read it, reload from it
        std::function<void()> removed;               // the keyboard that was there went
        std::function<void(std::uint32_t)> changed;  // the presence changed to this value
        std::function<void()> open;                  // post the window its open message
    };

    KeyboardPresence(Window window, std::atomic<bool>& shownOnce)
        : window_(std::move(window))
        , shownOnce_(shownOnce)
    {
    }
    ~KeyboardPresence() { Stop(); }
    KeyboardPresence(const KeyboardPresence&) = delete;
    KeyboardPresence& operator=(const KeyboardPresence&) = delete;

    // Starts a worker for one presence value (the count at start-up or a notification). Never
    // blocks: the library's callback thread calls it.
    void Start(std::uint32_t presence);
    // The worker's body: waits for the window, then acts when the presence changed. On the first
    // arrival while the window has not been shown once, opens the window. The last presence
    // changes once the window has followed the change.
    void OnKeyboardPresence(std::uint32_t presence);

    std::uint32_t LastPresence() const { return lastPresence_.load(); }
    // Ends waiting workers and joins every worker.
    void Stop();

private:
    void WaitForWindow();
    void Act(std::uint32_t presence);
    // A worker's life: the window first, then its turn, then the body.
    void RunInTurn(std::uint64_t ticket, std::uint32_t presence);

    Window window_;
    std::atomic<bool>& shownOnce_;
    std::atomic<std::uint32_t> lastPresence_{0};
    std::atomic<bool> stopping_{false};
    std::mutex turn_;  // guards serving_; one worker body at a time
    std::condition_variable turnChanged_;
    std::uint64_t serving_ = 0;     // the ticket whose turn it is
    std::uint64_t nextTicket_ = 0;  // under workersMutex_, drawn in the order Start is called
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex workersMutex_;
    std::vector<Worker> workers_;  // finished ones are joined when the next one starts
};

}  // namespace tavrin::profiles
