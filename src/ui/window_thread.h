// Worker threads reach a window only through its own thread: a call is queued there and waited
// for. Once the window closes down, waiting callers stop waiting and calls still queued are
// dropped, so that closing down never waits for a worker that waits for the window.
#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>

namespace tavrin::ui {

class WindowThread {
public:
    explicit WindowThread(QObject& window)
        : window_(&window)
    {
    }

    // Runs `call` on the window's thread and waits for it; at once when already there. False when
    // the window closed down before it ran.
    bool Call(std::function<void()> call);
    // Queues `call` without waiting.
    void Post(std::function<void()> call);

    bool OnWindowThread() const;
    // From now on nothing more runs and nobody waits.
    void Close();
    bool Closed() const { return closed_->load(); }

private:
    QPointer<QObject> window_;
    std::shared_ptr<std::atomic<bool>> closed_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace tavrin::ui
