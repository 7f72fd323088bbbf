#include "ui/base_dialog.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "skin_files.h"
#include "ui/skin_failure.h"

namespace tavrin::ui {
namespace {

using testing::PatternPicture;
using testing::SameShape;
using testing::SolidPicture;
using testing::TemporaryFolder;
using testing::WritePicture;
using testing::WriteText;

class BaseDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = SetSkinFailureHandler([this](std::string_view reason) { failures_.emplace_back(reason); });
        QImage mask = SolidPicture(120, 80, Qt::white);
        for (int y = 10; y < 70; ++y)
            for (int x = 5; x < 115; ++x)
                mask.setPixel(x, y, qRgb(0, 0, 0));
        WritePicture(skin_, "face.bmp", PatternPicture(120, 80, 9));
        WritePicture(skin_, "shape.bmp", mask);
    }
    void TearDown() override { SetSkinFailureHandler(previous_); }

    std::string Folder() const { return skin_.Path().string() + "/"; }
    std::string Layout(const std::string& text)
    {
        WriteText(skin_.File("Window.ini"), text);
        return skin_.File("Window.ini");
    }

    TemporaryFolder skin_;
    SkinFailureHandler previous_;
    std::vector<std::string> failures_;
};

TEST_F(BaseDialogTest, TakesTheBackgroundsSizeAndTheMasksShape)
{
    CBaseDialog dialog(nullptr, Layout("[SCREEN]\nMain=face.bmp\nMask=shape.bmp\n"), Folder());
    dialog.move(40, 30);
    ASSERT_TRUE(dialog.ApplySkin());
    EXPECT_TRUE(failures_.empty());
    EXPECT_FALSE(dialog.ApplyingSkin());
    EXPECT_EQ(dialog.size(), QSize(120, 80));
    EXPECT_EQ(dialog.pos(), QPoint(40, 30)) << "the top-left corner stays";
    EXPECT_TRUE(SameShape(dialog.WindowRegion(), QRegion(5, 10, 110, 60)));
    EXPECT_TRUE(SameShape(dialog.mask(), QRegion(5, 10, 110, 60)));
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dialog.Ini().Path(), skin_.File("Window.ini"));

    // The face is the background picture at (0, 0).
    const QImage shown = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, PatternPicture(120, 80, 9));
}

TEST_F(BaseDialogTest, WithoutAMaskTheBackgroundShapesTheWindow)
{
    WritePicture(skin_, "white.bmp", SolidPicture(50, 40, Qt::white));
    CBaseDialog dialog(nullptr, Layout("[SCREEN]\nMain=white.bmp\n"), Folder());
    ASSERT_TRUE(dialog.ApplySkin());
    EXPECT_TRUE(dialog.WindowRegion().isEmpty()) << "all white: nothing of the window is visible";
    EXPECT_FALSE(dialog.mask().intersects(dialog.rect()));
}

TEST_F(BaseDialogTest, AScreenPictureThatCannotBeLoadedEndsTheProgram)
{
    WriteText(skin_.File("cut.bmp"), "BM\x10\x20");
    const struct {
        const char* name;
        std::string layout;
    } cases[] = {
        {"no layout file", ""},
        {"no Main", "[SCREEN]\nMask=shape.bmp\n"},
        {"missing background", "[SCREEN]\nMain=none.bmp\nMask=shape.bmp\n"},
        {"missing mask", "[SCREEN]\nMain=face.bmp\nMask=none.bmp\n"},
        {"truncated background", "[SCREEN]\nMain=cut.bmp\nMask=shape.bmp\n"},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        failures_.clear();
        const std::string file = item.layout.empty() ? skin_.File("none.ini") : Layout(item.layout);
        CBaseDialog dialog(nullptr, file, Folder());
        EXPECT_FALSE(dialog.ApplySkin());
        EXPECT_EQ(failures_.size(), 1u);
        EXPECT_FALSE(dialog.HasPictures());
        EXPECT_FALSE(dialog.ApplyingSkin());
        dialog.grab();  // paints nothing, and does not fail
    }
}

TEST_F(BaseDialogTest, TheDefaultEndingNamesThePictureAndExitsAtOnceWithCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string layout = Layout("[SCREEN]\nMain=none.bmp\n");
    EXPECT_EXIT(
        {
            SetSkinFailureHandler(nullptr);
            CBaseDialog dialog(nullptr, layout, Folder());
            dialog.ApplySkin();
            std::fprintf(stderr, "still running\n");
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "tavrin: the window picture \"none\\.bmp\" could not be loaded");
}

TEST_F(BaseDialogTest, DraggingTheSurfaceMovesTheWindow)
{
    CBaseDialog dialog(nullptr, Layout("[SCREEN]\nMain=face.bmp\nMask=shape.bmp\n"), Folder());
    ASSERT_TRUE(dialog.ApplySkin());
    dialog.move(100, 100);
    dialog.show();
    const QPointF inside(20, 20);
    const auto send = [&](QEvent::Type type, QPointF global, Qt::MouseButtons held) {
        QMouseEvent event(type, dialog.mapFromGlobal(global), global, Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &event);
    };
    const QPointF start = dialog.mapToGlobal(inside);
    send(QEvent::MouseButtonPress, start, Qt::LeftButton);
    send(QEvent::MouseMove, start + QPointF(30, 15), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, start + QPointF(30, 15), Qt::NoButton);
    EXPECT_EQ(dialog.pos(), QPoint(130, 115));
    send(QEvent::MouseMove, start + QPointF(60, 60), Qt::NoButton);
    EXPECT_EQ(dialog.pos(), QPoint(130, 115)) << "released: the window stays";
}

TEST_F(BaseDialogTest, OkGivesThePicturesBack)
{
    CBaseDialog dialog(nullptr, Layout("[SCREEN]\nMain=face.bmp\nMask=shape.bmp\n"), Folder());
    ASSERT_TRUE(dialog.ApplySkin());
    dialog.accept();
    EXPECT_FALSE(dialog.HasPictures());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace tavrin::ui
