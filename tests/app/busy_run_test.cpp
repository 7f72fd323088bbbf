// Keyboard work on a worker while the window's thread paints the busy animation and takes no
// clicks.
#include "app/busy_run.h"

#include <QApplication>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace tavrin::app {
namespace {

using namespace std::chrono_literals;

std::vector<QPixmap> Frames()
{
    std::vector<QPixmap> frames;
    for (int i = 0; i < 10; ++i) {
        QPixmap frame(8, 8);
        frame.fill(QColor(i * 20, 0, 0));
        frames.push_back(frame);
    }
    return frames;
}

TEST(BusyRun, TheAnimationRunsWhileTheWorkDoesAndGoesWhenItIsDone)
{
    ui::PictureStatic picture;
    picture.hide();
    BusyRun busy;
    busy.SetPicture(&picture, Frames());
    bool shownDuringWork = false;
    std::thread::id workThread;
    busy.Run([&] {
        workThread = std::this_thread::get_id();
        std::this_thread::sleep_for(600ms);
        shownDuringWork = !picture.isHidden();
    });
    EXPECT_NE(workThread, std::this_thread::get_id()) << "the work ran on a worker";
    EXPECT_TRUE(shownDuringWork) << "shown after its short pause";
    EXPECT_GE(busy.FramesShown(), 5) << "a frame every 50 ms while the work ran";
    EXPECT_TRUE(picture.isHidden());
    EXPECT_FALSE(busy.Running());
}

TEST(BusyRun, ShortWorkShowsNothingAndWorkRunsWithoutAPictureToo)
{
    ui::PictureStatic picture;
    picture.hide();
    BusyRun busy;
    busy.SetPicture(&picture, Frames());
    busy.Run([] { std::this_thread::sleep_for(30ms); });
    EXPECT_EQ(busy.FramesShown(), 0) << "work shorter than the pause shows no animation";
    EXPECT_TRUE(picture.isHidden());
    EXPECT_FALSE(busy.Running());

    // Without a picture (the window hidden) the work still runs, on a worker.
    busy.SetPicture(nullptr, {});
    bool ran = false;
    busy.Run([&] { ran = true; });
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace tavrin::app
