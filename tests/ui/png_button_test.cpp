#include "ui/png_button.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "skin_files.h"

namespace tavrin::ui {
namespace {

using testing::PatternPicture;
using testing::SolidPicture;

// Five state pictures of a 100 × 60 window, each with a pattern of its own.
struct StatePictures {
    QPixmap normal = QPixmap::fromImage(PatternPicture(100, 60, 1));
    QPixmap hover = QPixmap::fromImage(PatternPicture(100, 60, 2));
    QPixmap pressed = QPixmap::fromImage(PatternPicture(100, 60, 3));
    QPixmap disabled = QPixmap::fromImage(PatternPicture(100, 60, 4));
    QPixmap checked = QPixmap::fromImage(PatternPicture(100, 60, 5));
};

class PngButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_.resize(100, 60);
        button_ = new CPngButton(&window_);
        button_->setGeometry(30, 20, 24, 16);
        button_->SetSkin(
            30, 20, pictures_.normal, pictures_.hover, pictures_.pressed, pictures_.disabled, pictures_.checked);
        window_.show();
    }

    // Whether the button shows exactly the piece of `picture` under it.
    ::testing::AssertionResult Shows(const QPixmap& picture, QPoint offset = {30, 20})
    {
        const QImage shown = button_->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage piece
            = picture.toImage().copy(QRect(offset, button_->size())).convertToFormat(QImage::Format_RGB32);
        if (shown == piece)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the button shows another piece or picture";
    }

    QWidget window_;
    StatePictures pictures_;
    CPngButton* button_ = nullptr;
};

TEST_F(PngButtonTest, ShowsThePieceOfItsStatePictureAtItsOffset)
{
    EXPECT_TRUE(Shows(pictures_.normal));
    button_->SetChecked(true);
    EXPECT_TRUE(Shows(pictures_.checked));
    button_->setDown(true);
    EXPECT_TRUE(Shows(pictures_.pressed));
    button_->setDown(false);
    button_->setEnabled(false);
    EXPECT_TRUE(Shows(pictures_.disabled)) << "disabled and checked";
    button_->setEnabled(true);
    button_->SetChecked(false);
    // The arrows move their piece without moving the button.
    button_->SetPictureOffset(60, 40);
    EXPECT_TRUE(Shows(pictures_.normal, {60, 40}));
}

TEST_F(PngButtonTest, HoverComesAndGoesWithTheMouse)
{
    QEnterEvent enter(QPointF(5, 5), QPointF(35, 25), QPointF(35, 25));
    QApplication::sendEvent(button_, &enter);
    EXPECT_TRUE(button_->Hovered());
    EXPECT_TRUE(Shows(pictures_.hover));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button_, &leave);
    EXPECT_FALSE(button_->Hovered());
    EXPECT_TRUE(Shows(pictures_.normal));
}

TEST_F(PngButtonTest, FrameModeDrawsTheFrameOverThePictureShownLast)
{
    EXPECT_TRUE(Shows(pictures_.normal));
    button_->SetFrameColour(0x000000FF, 150, true);
    EXPECT_EQ(button_->FrameTransparency(), 100);
    QEnterEvent enter(QPointF(5, 5), QPointF(35, 25), QPointF(35, 25));
    QApplication::sendEvent(button_, &enter);
    const QImage shown = button_->grab().toImage();
    EXPECT_EQ(shown.pixelColor(1, 1), QColor(Qt::red)) << "the frame";
    EXPECT_EQ(shown.pixelColor(button_->width() - 2, button_->height() - 2), QColor(Qt::red));
    EXPECT_EQ(shown.pixel(12, 8), pictures_.normal.toImage().pixel(42, 28)) << "normal, not hover, under the frame";
    button_->SetFrameColour(0, 50, false);
    EXPECT_TRUE(Shows(pictures_.hover));
}

TEST_F(PngButtonTest, AlternativePicturesFollowTheSelector)
{
    const QPixmap first = QPixmap::fromImage(PatternPicture(100, 60, 6));
    const QPixmap second = QPixmap::fromImage(PatternPicture(100, 60, 7));
    button_->SetAlternativePictures(true, 1, first, second);
    EXPECT_TRUE(Shows(second));
    button_->SetAlternativePictures(true, 0, first, second);
    EXPECT_TRUE(Shows(first));
    button_->SetAlternativePictures(false, 0, first, second);
    EXPECT_TRUE(Shows(pictures_.normal));
}

TEST_F(PngButtonTest, TextInItsStateColourWithinTheMargins)
{
    const QPixmap black = QPixmap::fromImage(SolidPicture(100, 60, Qt::black));
    button_->SetSkin(30, 20, black, black, black, black, black);
    button_->setText("WWWW");
    button_->SetTextStyle(true, 8, "Tahoma", 0x0000FF00, 0x00FF0000, 0x000000FF, 0x00808080, 0, 0);
    const auto colourCount = [&](QRect area, QColor colour) {
        const QImage shown = button_->grab().toImage();
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += shown.pixelColor(x, y) == colour;
        return count;
    };
    EXPECT_GT(colourCount(button_->rect(), Qt::green), 0) << "normal text colour";
    button_->setEnabled(false);
    EXPECT_EQ(colourCount(button_->rect(), Qt::green), 0);
    EXPECT_GT(colourCount(button_->rect(), QColor(0x80, 0x80, 0x80)), 0) << "disabled text colour";
    button_->setEnabled(true);
    // Left-aligned text pushed right by the margin leaves the left columns bare.
    button_->SetTextMargins(12, 0, 0, 0);
    EXPECT_EQ(colourCount(QRect(0, 0, 12, 16), Qt::green), 0);
    EXPECT_GT(colourCount(QRect(12, 0, 12, 16), Qt::green), 0);
    button_->SetTextStyle(false, 8, "Tahoma", 0x0000FF00, 0, 0, 0);
    EXPECT_EQ(colourCount(button_->rect(), Qt::green), 0) << "text hidden";
}

TEST_F(PngButtonTest, ADoubleClickIsASecondPress)
{
    int clicks = 0;
    QObject::connect(button_, &QAbstractButton::clicked, [&] { ++clicks; });
    const QPointF at(5, 5);
    const auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
        QMouseEvent event(type, at, button_->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(button_, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    EXPECT_TRUE(button_->isDown());
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(clicks, 2);
}

TEST_F(PngButtonTest, TooltipWaitsThreeHundredMilliseconds)
{
    button_->SetTooltip("Help", true);
    QEnterEvent enter(QPointF(5, 5), QPointF(35, 25), QPointF(35, 25));
    QApplication::sendEvent(button_, &enter);
    const QTimer* timer = &button_->TooltipTimer();
    EXPECT_EQ(timer->interval(), CPngButton::kTooltipDelayMs);
    EXPECT_TRUE(timer->isActive());
    EXPECT_TRUE(timer->isSingleShot());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button_, &leave);
    EXPECT_FALSE(timer->isActive()) << "leaving cancels it";

    button_->SetTooltip("Help", false);
    QApplication::sendEvent(button_, &enter);
    EXPECT_FALSE(timer->isActive()) << "inactive";
}

TEST_F(PngButtonTest, AfterPaintLearnsWhetherTheNormalPictureWasDrawn)
{
    std::vector<bool> calls;
    button_->SetAfterPaint([&](CPngButton&, bool normalDrawn) { calls.push_back(normalDrawn); });
    button_->grab();
    button_->SetChecked(true);
    button_->grab();
    EXPECT_EQ(calls, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace tavrin::ui
