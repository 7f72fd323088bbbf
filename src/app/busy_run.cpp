#include "app/busy_run.h"

#include <QEventLoop>
#include <atomic>
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

void BusyRun::Run(const std::function<void()>& work)
{
    if (running_) {
        work();
        return;
    }
    running_ = true;
    frame_ = 0;
    if (picture_ && !frames_.empty())
        picture_->SetPicture(frames_.front());

    QEventLoop loop;
    std::atomic<bool> done{false};
    QTimer show;
    show.setSingleShot(true);
    QObject::connect(&show, &QTimer::timeout, [this] {
        if (!picture_)
            return;
        picture_->show();
        frameTimer_.start();
    });
    show.start(kBusyShowDelay);
    std::thread worker([&] {
        work();
        done = true;
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    // Painting, timers and the window's own queued calls go on; clicks and keys wait.
    while (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
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
