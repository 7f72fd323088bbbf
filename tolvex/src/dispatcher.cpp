#include "dispatcher.h"

#include <chrono>

namespace tolvex {

Dispatcher::Dispatcher(std::uint32_t handle, std::uint32_t tag, TolvexCallback callback)
    : handle_(handle)
    , tag_(tag)
    , callback_(callback)
{
    record_.tag = tag_;
    thread_ = std::thread([this] { Run(); });
}

Dispatcher::~Dispatcher()
{
    RequestStop();
    Join();
}

void Dispatcher::Post(Notification notification)
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        if (queue_.size() >= kQueueLimit)
            queue_.pop_front();
        queue_.push_back(std::move(notification));
    }
    wake_.notify_one();
}

void Dispatcher::RequestStop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_one();
}

void Dispatcher::Join()
{
    if (thread_.joinable() && !RunsOnThisThread())
        thread_.join();
}

void Dispatcher::Run()
{
    for (;;) {
        Notification next;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        Deliver(next);
    }
}

void Dispatcher::Deliver(const Notification& notification)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    TolvexBufferRecord buffer{};
    buffer.structSize = sizeof(TolvexBufferRecord);
    buffer.receivedLength = static_cast<std::uint32_t>(notification.bytes.size());
    buffer.timestampMicros
        = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
    buffer.sequence = ++sequence_;
    buffer.capacity = buffer.receivedLength;
    buffer.registration = handle_;
    buffer.received = notification.bytes.empty() ? nullptr : notification.bytes.data();

    record_.tag = tag_;
    record_.length = notification.kind == TOLVEX_NOTIFY_STATE ? notification.presence : buffer.receivedLength;
    record_.data = buffer.received;
    record_.buffer = &buffer;

    TolvexNotification message{};
    message.kind = notification.kind;
    message.registration = handle_;
    message.request = &record_;
    callback_(&message);
}

}  // namespace tolvex
