#include "device/keyboard_owner.h"

#include <algorithm>

namespace tavrin::device {

KeyboardOwner::KeyboardOwner(std::unique_ptr<CrossProcessLock> crossProcess)
    : crossProcess_(std::move(crossProcess))
{
}

void KeyboardOwner::ShareWithOtherPrograms(std::unique_ptr<CrossProcessLock> crossProcess)
{
    std::lock_guard lock(mutex_);
    crossProcess_ = std::move(crossProcess);
}

bool KeyboardOwner::Acquire(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::unique_lock lock(mutex_);
    const std::thread::id self = std::this_thread::get_id();
    if (holder_ == self) {
        ++depth_;
        return true;
    }
    if (!released_.wait_until(lock, deadline, [this] { return depth_ == 0; }))
        return false;
    // Claimed for this thread before the other programs are waited for, without holding the
    // mutex: this process's other threads wait for the claim meanwhile.
    holder_ = self;
    depth_ = 1;
    lock.unlock();
    const auto left
        = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    const bool free = !crossProcess_ || crossProcess_->Acquire(std::chrono::milliseconds(0));
    if (!free && !crossProcess_->Acquire(std::max(left, std::chrono::milliseconds(0)))) {
        lock.lock();
        holder_ = {};
        depth_ = 0;
        lock.unlock();
        released_.notify_all();
        return false;
    }
    tookFromAnother_ = !free;
    ++takes_;
    heldHere_ = true;
    return true;
}

void KeyboardOwner::Release()
{
    std::unique_lock lock(mutex_);
    if (--depth_ > 0)
        return;
    heldHere_ = false;
    // Let go of the other programs before another thread here may take the lock file again.
    if (crossProcess_)
        crossProcess_->Release();
    holder_ = {};
    lock.unlock();
    released_.notify_all();
}

}  // namespace tavrin::device
