#include "device/keyboard_owner.h"

#include <algorithm>

namespace tavrin::device {

KeyboardOwner::KeyboardOwner(std::unique_ptr<CrossProcessLock> crossProcess)
    : crossProcess_(std::move(crossProcess))
{
}

void KeyboardOwner::ShareWithOtherPrograms(std::unique_ptr<CrossProcessLock> crossProcess)
{
    std::lock_guard lock(threads_);
    crossProcess_ = std::move(crossProcess);
}

bool KeyboardOwner::Acquire(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    if (!threads_.try_lock_until(deadline))
        return false;
    if (depth_ == 0) {
        // The time left of the wait goes to the other programs.
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const bool free = !crossProcess_ || crossProcess_->Acquire(std::chrono::milliseconds(0));
        if (!free && !crossProcess_->Acquire(std::max(left, std::chrono::milliseconds(0)))) {
            threads_.unlock();
            return false;
        }
        tookFromAnother_ = !free;
        ++takes_;
        heldHere_ = true;
    }
    ++depth_;
    return true;
}

void KeyboardOwner::Release()
{
    if (--depth_ == 0) {
        heldHere_ = false;
        if (crossProcess_)
            crossProcess_->Release();
    }
    threads_.unlock();
}

}  // namespace tavrin::device
