// Follows the keyboard coming and going. Every presence notification runs OnKeyboardPresence on a
// worker thread of its own; the workers take turns, so that the last known presence changes in the
// order the notifications came.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tavrin::profiles {

class KeyboardPresence {
public:
    // What a worker needs of the main window; both are called on the worker's thread.
    struct Window {
        std::function<bool()> ready;                 // the window has finished starting up
        std::function<void()> open;                  // post the window its open message
        std::function<void(std::uint32_t)> changed;  // the presence changed to this value
    };

    KeyboardPresence(Window window, std::atomic<bool>& shownOnce)
        : window_(std::move(window))
        , shownOnce_(shownOnce)
    {
    }
    ~KeyboardPresence() { Stop(); }
    KeyboardPresence(const KeyboardPresence&) = delete;
    KeyboardPresence& operator=(const KeyboardPresence&) = delete;

    // Starts a worker for one presence value (the count at start-up or a notification).
    void Start(std::uint32_t presence);
    // The worker's body: waits for the window, then acts when the presence changed. On the first
    // arrival while the window has not been shown once, opens the window.
    void OnKeyboardPresence(std::uint32_t presence);

    std::uint32_t LastPresence() const { return lastPresence_.load(); }
    // Ends waiting workers and joins every worker.
    void Stop();

private:
    Window window_;
    std::atomic<bool>& shownOnce_;
    std::atomic<std::uint32_t> lastPresence_{0};
    std::atomic<bool> stopping_{false};
    std::mutex turn_;  // one worker body at a time
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex workersMutex_;
    std::vector<Worker> workers_;  // finished ones are joined when the next one starts
};

}  // namespace tavrin::profiles
