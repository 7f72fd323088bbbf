// Long keyboard work without a frozen window: the work runs on a worker thread while the window's
// thread waits in a loop that paints and runs timers but takes no user input. After a short pause
// the busy animation shows in its picture, a frame every 50 ms, and it goes again once the work is
// done.
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
    BusyRun();
    // Where the animation shows; none while the window is hidden and has let its looks go.
    void SetPicture(ui::PictureStatic* picture, std::vector<QPixmap> frames);

    // Runs `work` as described; returns when it is done and the animation is hidden. Not
    // re-entered: a call while one runs runs its work at once, on the window's thread.
    void Run(const std::function<void()>& work);

    bool Running() const { return running_; }
    // The frame shown now (0–9), for tests.
    int Frame() const { return frame_; }
    int FramesShown() const { return framesShown_; }

private:
    void Advance();

    ui::PictureStatic* picture_ = nullptr;
    std::vector<QPixmap> frames_;
    QTimer frameTimer_;
    bool running_ = false;
    int frame_ = 0;
    int framesShown_ = 0;
};

}  // namespace tavrin::app
