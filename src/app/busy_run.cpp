#include "app/busy_run.h"

#include <QEventLoop>
#include <memory>
#include <mutex>
#include <thread>

namespace tavrin::app {

BusyRun::BusyRun()
{
    frameTimer_.setInterval(kBusyFramePeriod);
    QObject::connect(&frameTimer_, &QTimer::timeout, [this] { Advance(); });
}

void BusyRun::SetPicture(ui::PictureStatic* picture, std::vector<QPixmap> frames)
{
    picture_ = picture;
    frames_ = std::move(frames);
    frame_ = 0;
}

void BusyRun::Advance()
{
    if (!picture_ || frames_.empty())
        return;
    frame_ = (frame_ + 1) % static_cast<int>(frames_.size());
    ++framesShown_;
    picture_->SetPicture(frames_[static_cast<std::size_t>(frame_)]);
}

namespace {

// What the window's thread and the work share: the work says it is done, and wakes the loop while
// that still exists.
class WorkDone {
public:
    explicit WorkDone(QEventLoop& loop)
        : loop_(&loop)
    {
    }
    void Finish()
    {
        std::lock_guard lock(mutex_);
        done_ = true;
        if (loop_)
            QMetaObject::invokeMethod(loop_, "quit", Qt::QueuedConnection);
    }
    bool Done() const
    {
        std::lock_guard lock(mutex_);
        return done_;
    }
    // The loop is going: nothing may reach it any more.
    void Detach()
    {
        std::lock_guard lock(mutex_);
        loop_ = nullptr;
    }

private:
    mutable std::mutex mutex_;
    QEventLoop* loop_;
    bool done_ = false;
};

}  // namespace

void BusyRun::Wait(const std::function<void()>& work)
{
    QEventLoop loop;
    auto done = std::make_shared<WorkDone>(loop);
    std::function<void()> job = [&work, done] {
        work();
        done->Finish();
    };
    std::thread own;
    if (!start_ || !start_(job))
        own = std::thread(job);
    // Painting, timers and the window's own queued calls go on; clicks and keys wait.
    while (!done->Done())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    done->Detach();
    if (own.joinable())
        own.join();
}

void BusyRun::Run(const std::function<void()>& work)
{
    if (running_) {
        Wait(work);
        return;
    }
    running_ = true;
    frame_ = 0;
    if (picture_ && !frames_.empty())
        picture_->SetPicture(frames_.front());

    QTimer show;
    show.setSingleShot(true);
    QObject::connect(&show, &QTimer::timeout, [this] {
        if (!picture_)
            return;
        picture_->show();
        frameTimer_.start();
    });
    show.start(kBusyShowDelay);
    Wait(work);
    show.stop();
    if (frameTimer_.isActive()) {
        QEventLoop linger;
        QTimer::singleShot(kBusyHideDelay, &linger, &QEventLoop::quit);
        linger.exec(QEventLoop::ExcludeUserInputEvents);
    }
    frameTimer_.stop();
    if (picture_)
        picture_->hide();
    running_ = false;
}

}  // namespace tavrin::app
