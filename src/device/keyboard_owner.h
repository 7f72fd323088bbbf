// One owner of the keyboard at a time. A sequence of requests that belongs together (a begin…end
// bracket, a read of several areas) holds the keyboard for its whole length, against the
// program's other threads and, through a lock shared between processes, against other programs
// that use the same keyboard. Every single transaction takes it too, so a request of another
// thread or program can never land inside someone else's sequence.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace tavrin::device {

// How long a sequence waits for the keyboard that another thread or program holds before it gives
// up with kDeviceBusy. Long enough for a whole restore on a slow keyboard.
inline constexpr std::chrono::milliseconds kKeyboardOwnerWait{30000};

// The lock between processes; the platform's file lock implements it.
class CrossProcessLock {
public:
    virtual ~CrossProcessLock() = default;
    // Takes the lock, waiting at most `wait`; false when another process kept it that long (or the
    // lock cannot be had at all).
    virtual bool Acquire(std::chrono::milliseconds wait) = 0;
    virtual void Release() = 0;
};

class KeyboardOwner {
public:
    // Without a lock between processes, only the threads of this one are kept apart.
    explicit KeyboardOwner(std::unique_ptr<CrossProcessLock> crossProcess = nullptr);
    KeyboardOwner(const KeyboardOwner&) = delete;
    KeyboardOwner& operator=(const KeyboardOwner&) = delete;

    // Keeps other programs out as well from now on; set before the keyboard is first used.
    void ShareWithOtherPrograms(std::unique_ptr<CrossProcessLock> crossProcess);

    // Takes the keyboard for the calling thread, which may already hold it (then it only counts);
    // false when another thread or program kept it for longer than `wait`.
    bool Acquire(std::chrono::milliseconds wait);
    // Takes it only when that needs no waiting.
    bool TryAcquire() { return Acquire(std::chrono::milliseconds(0)); }
    void Release();

    // Whether some thread of this process holds the keyboard now. Read by the library's callback
    // thread: control reports that come while nobody here holds it answer another program.
    bool HeldHere() const { return heldHere_.load(); }
    // Counts the times this process took the keyboard after nobody here held it.
    std::uint64_t Takes() const { return takes_.load(); }
    // Whether the last take had to wait for another program, whose last answers may then still be
    // on their way to this one.
    bool TookFromAnotherProgram() const { return tookFromAnother_.load(); }

private:
    // Which thread holds the keyboard, and how many times over; a plain mutex and a condition (a
    // timed recursive mutex would do, but the thread checker cannot see through its timed lock).
    std::mutex mutex_;
    std::condition_variable released_;
    std::thread::id holder_;  // guarded by mutex_, as is depth_
    int depth_ = 0;
    std::unique_ptr<CrossProcessLock> crossProcess_;  // used by the holder alone
    std::atomic<bool> heldHere_{false};
    std::atomic<std::uint64_t> takes_{0};
    std::atomic<bool> tookFromAnother_{false};
};

// Holds the keyboard for a scope. Check Held(): a bracket that could not be had sends nothing.
class KeyboardBracket {
public:
    explicit KeyboardBracket(KeyboardOwner& owner, std::chrono::milliseconds wait = kKeyboardOwnerWait)
        : owner_(owner)
        , held_(owner.Acquire(wait))
    {
    }
    ~KeyboardBracket()
    {
        if (held_)
            owner_.Release();
    }
    // Takes over a hold already acquired.
    KeyboardBracket(KeyboardOwner& owner, std::adopt_lock_t)
        : owner_(owner)
        , held_(true)
    {
    }
    KeyboardBracket(const KeyboardBracket&) = delete;
    KeyboardBracket& operator=(const KeyboardBracket&) = delete;

    bool Held() const { return held_; }

private:
    KeyboardOwner& owner_;
    bool held_;
};

}  // namespace tavrin::device
