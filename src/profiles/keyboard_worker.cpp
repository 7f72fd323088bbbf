#include "profiles/keyboard_worker.h"

#include <algorithm>

namespace tavrin::profiles {

KeyboardWorker::KeyboardWorker()
    : thread_([this] { Loop(); })
{
}

KeyboardWorker::~KeyboardWorker()
{
    Stop();
}

bool KeyboardWorker::Post(Job job, const std::string& key)
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return false;
        if (!key.empty()) {
            const auto same = std::find_if(
                queue_.begin(), queue_.end(), [&key](const Queued& queued) { return queued.key == key; });
            if (same != queue_.end()) {
                same->job = std::move(job);
                ++replaced_;
                return true;
            }
        }
        queue_.push_back({key, std::move(job)});
    }
    changed_.notify_all();
    return true;
}

void KeyboardWorker::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable() && !OnWorkerThread())
        thread_.join();
}

bool KeyboardWorker::Idle() const
{
    std::lock_guard lock(mutex_);
    return queue_.empty() && !running_;
}

std::uint64_t KeyboardWorker::Ran() const
{
    std::lock_guard lock(mutex_);
    return ran_;
}

std::uint64_t KeyboardWorker::Replaced() const
{
    std::lock_guard lock(mutex_);
    return replaced_;
}

void KeyboardWorker::Loop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;  // stopping, and everything queued has run
        Job job = std::move(queue_.front().job);
        queue_.pop_front();
        running_ = true;
        lock.unlock();
        job();
        lock.lock();
        running_ = false;
        ++ran_;
    }
}

}  // namespace tavrin::profiles
