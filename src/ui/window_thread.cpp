#include "ui/window_thread.h"

#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tavrin::ui {
namespace {

// How often a waiting caller looks whether the window closed down meanwhile.
constexpr std::chrono::milliseconds kClosedPoll{20};

struct PendingCall {
    std::mutex mutex;
    std::condition_variable done;
    bool running = false;  // the call has started: its caller waits for it whatever happens
    bool ran = false;
    bool abandoned = false;
};

}  // namespace

bool WindowThread::OnWindowThread() const
{
    return window_ && QThread::currentThread() == window_->thread();
}

bool WindowThread::Call(std::function<void()> call)
{
    if (closed_->load() || !window_)
        return false;
    if (OnWindowThread()) {
        call();
        return true;
    }
    auto pending = std::make_shared<PendingCall>();
    auto closed = closed_;
    QMetaObject::invokeMethod(
        window_.data(),
        [pending, closed, call = std::move(call)] {
            {
                std::lock_guard lock(pending->mutex);
                if (pending->abandoned || closed->load())
                    return;
                pending->running = true;
            }
            call();
            std::lock_guard lock(pending->mutex);
            pending->ran = true;
            pending->done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(pending->mutex);
    while (!pending->ran) {
        if (closed_->load() && !pending->running) {
            pending->abandoned = true;
            return false;
        }
        pending->done.wait_for(lock, kClosedPoll);
    }
    return true;
}

void WindowThread::Post(std::function<void()> call)
{
    if (closed_->load() || !window_)
        return;
    auto closed = closed_;
    QMetaObject::invokeMethod(
        window_.data(),
        [closed, call = std::move(call)] {
            if (!closed->load())
                call();
        },
        Qt::QueuedConnection);
}

void WindowThread::Close()
{
    closed_->store(true);
}

}  // namespace tavrin::ui
