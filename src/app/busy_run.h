// Long keyboard work without a frozen window: the work runs on the keyboard worker (a thread of its
// own when none is given) while the window's thread waits in a loop that paints and runs timers but
// takes no user input. After a short pause the busy animation shows in its picture, a frame every
// 50 ms, and it goes again once the work is done.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <chrono>
#include <functional>
#include <vector>

#include "ui/picture_static.h"

namespace tavrin::app {

inline constexpr int kBusyTimer = 1050;
inline constexpr std::chrono::milliseconds kBusyFramePeriod{50};
inline constexpr std::chrono::milliseconds kBusyShowDelay{100};
inline constexpr std::chrono::milliseconds kBusyHideDelay{100};

class BusyRun {
public:
    // Hands a job to the thread that runs it; false when it cannot take it any more.
    using Start = std::function<bool(std::function<void()>)>;

    BusyRun();
    // Where the work runs from now on (the window's keyboard worker).
    void SetStart(Start start) { start_ = std::move(start); }
    // Where the animation shows; none while the window is hidden and has let its looks go.
    void SetPicture(ui::PictureStatic* picture, std::vector<QPixmap> frames);

    // Runs `work` as described; returns when it is done and the animation is hidden. A call while
    // one runs (from a timer, say) waits for its own work the same way, leaving the animation to
    // the first; where a worker is set, its work runs after what the worker has already.
    void Run(const std::function<void()>& work);

    bool Running() const { return running_; }
    // The frame shown now (0–9), for tests.
    int Frame() const { return frame_; }
    int FramesShown() const { return framesShown_; }

private:
    void Advance();
    // Runs `work` off the window's thread and waits for it in a loop without user input.
    void Wait(const std::function<void()>& work);

    Start start_;
    ui::PictureStatic* picture_ = nullptr;
    std::vector<QPixmap> frames_;
    QTimer frameTimer_;
    bool running_ = false;
    int frame_ = 0;
    int framesShown_ = 0;
};

}  // namespace tavrin::app
