#include "ui/main_window_skin.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

#include "model/key_table.h"
#include "skin_files.h"
#include "ui/base_dialog.h"
#include "ui/color_static.h"
#include "ui/picture_static.h"
#include "ui/png_button.h"
#include "ui/skin_color_button.h"
#include "ui/skin_fonts.h"
#include "ui/skin_slider.h"

namespace tavrin::ui {
namespace {

using testing::SolidPicture;
using testing::TemporaryFolder;
using testing::WritePicture;
using testing::WriteText;

// One colour per state picture, far apart, so that a JPEG's small errors cannot blur them.
const QColor kNormal(200, 0, 0), kOver(0, 200, 0), kDown(0, 0, 200), kDisable(128, 128, 128), kArrow(230, 230, 0),
    kColour0(0, 200, 200), kColour1(200, 0, 200);

bool Near(QColor shown, QColor expected)
{
    return std::abs(shown.red() - expected.red()) < 24 && std::abs(shown.green() - expected.green()) < 24
        && std::abs(shown.blue() - expected.blue()) < 24;
}

std::string FirstKeyButtonSkinKey()
{
    return KeyButtonSkinKey(model::IndexFromCode(model::KeyButtonsInOrder()[0].code));
}

class MainWindowSkinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QColor colours[] = {kNormal, kOver, kDown, kDisable, kArrow, kColour0, kColour1};
        for (std::size_t i = 0; i < std::size(colours); ++i)
            WritePicture(skin_, MainWindowSkin::kStatePictureFiles[i], SolidPicture(400, 300, colours[i]), "JPG");
        WritePicture(skin_, "back.bmp", SolidPicture(400, 300, Qt::black));
        WritePicture(skin_, "dengup.bmp", SolidPicture(12, 12, Qt::red));
        WritePicture(skin_, "1.bmp", SolidPicture(50, 8, Qt::green));
        WriteText(skin_.File("hong.bmp"), "BM cut short");
        WriteText(skin_.File("Main.ini"),
            "[SCREEN]\nMain=back.bmp\n"
            "[BUTTONINFO]\n"
            "CONTROL_OK=10,20,60,24\n"
            "CONTROL_CANCEL=abc\n"
            "CONTROL_HELP=5,5,-3,10\n"
            "CONTROL2_APPLY=80,20,60,24\n"
            "LOCK_CAPS=150,20,20,20\n"
            "FLIP_0=180,20,20,20\n"
                + FirstKeyButtonSkinKey()
                + "= 100, 50, 20, 20\n"
                  "LEFT_ARROW=200,10,10,10\n"
                  "CONTROL_LightSlider=20,200,50,8\n"
                  "CONTROL_DengStaPic=300,250,12,12\n"
                  "CONTROL_Working=20,260,200,24\n"
                  "CONTROL_BLFXStatic=30,150,60,16\n"
                  "CONTROL_BLFXStatic2=300,200,99,99\n"
                  "[BUTTONINFO2]\n"
                  "DOWN_ARROW_LEFT1=0,0\nDOWN_ARROW_LEFT2=10,0\nUP_ARROW_LEFT1=20,0\nUP_ARROW_LEFT2=30,0\n");
    }

    std::unique_ptr<MainWindowSkin> LayOut(CBaseDialog& window)
    {
        std::string failed;
        auto pictures = MainWindowSkin::LoadStatePictures(Folder(), failed);
        EXPECT_TRUE(pictures) << failed;
        EXPECT_TRUE(window.ApplySkin());
        return std::make_unique<MainWindowSkin>(window, std::move(*pictures), false);
    }

    std::string Folder() const { return skin_.Path().string() + "/"; }
    std::string LayoutFile() const { return skin_.File("Main.ini"); }

    static QColor Centre(QWidget* widget)
    {
        return widget->grab().toImage().pixelColor(widget->width() / 2, widget->height() / 2);
    }

    TemporaryFolder skin_;
};

TEST_F(MainWindowSkinTest, EveryControlExistsOnceAndIsReachedByItsIdentifier)
{
    CBaseDialog window(nullptr, LayoutFile(), Folder());
    const auto skin = LayOut(window);
    std::set<QWidget*> widgets;
    std::size_t keyButtons = 0;
    for (const MainControl& control : MainWindowControls()) {
        SCOPED_TRACE(control.key);
        QWidget* widget = skin->Control(control.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), &window);
        EXPECT_EQ(widget->objectName().toStdString(), control.key);
        widgets.insert(widget);
        keyButtons += control.key.starts_with("KEY_") && control.key != "KEY_FN";
    }
    EXPECT_EQ(widgets.size(), MainWindowControls().size()) << "identifiers are unique";
    EXPECT_EQ(keyButtons, model::kKeyButtonCount);
    EXPECT_EQ(skin->Control(4242), nullptr);
}

TEST_F(MainWindowSkinTest, LettingTheLooksGoTakesEveryControlAway)
{
    // A hidden window lets its looks go and lays itself out anew when shown: nothing may pile up.
    CBaseDialog window(nullptr, LayoutFile(), Folder());
    auto skin = LayOut(window);
    EXPECT_EQ(window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), MainWindowControls().size());
    skin.reset();
    EXPECT_TRUE(window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty());
}

TEST_F(MainWindowSkinTest, GroupsHandOutEachControlByItsRole)
{
    CBaseDialog window(nullptr, LayoutFile(), Folder());
    const auto skin = LayOut(window);
    const KeyboardButtons& keyboard = skin->Keyboard();
    ASSERT_EQ(keyboard.keys.size(), model::kKeyButtonCount);
    for (const KeyboardButtons::Key& key : keyboard.keys) {
        ASSERT_NE(key.button, nullptr);
        EXPECT_EQ(key.button->objectName().toStdString(), KeyButtonSkinKey(model::IndexFromCode(key.code)));
        EXPECT_EQ(keyboard.ButtonOf(key.code), key.button);
    }
    EXPECT_EQ(keyboard.ButtonOf(model::kMouseLeft), nullptr);
    for (std::size_t g = 0; g < keyboard.gKeys.size(); ++g)
        EXPECT_EQ(keyboard.gKeys[g]->objectName().toStdString(), GButtonSkinKey(static_cast<int>(g) + 1));
    EXPECT_EQ(keyboard.fn->objectName(), "KEY_FN");

    // Roles that lie close together in the table and are easily crossed.
    const WindowButtons& buttons = skin->Buttons();
    const LightingPanelControls& lighting = skin->Lighting();
    const std::pair<QWidget*, const char*> roles[] = {{buttons.ok, "CONTROL_OK"}, {buttons.apply, "CONTROL2_APPLY"},
        {buttons.profiles[0], "FUNC_PROFILE1"}, {buttons.profiles[2], "FUNC_PROFILE3"},
        {buttons.profileDialog, "FUNC_PROFILES"}, {buttons.flipFirst, "FLIP_1"}, {buttons.busy, "CONTROL_JDTStatic"},
        {lighting.brightness, "CONTROL_LightSlider"}, {lighting.speed, "CONTROL_SpeedSlider"},
        {lighting.hx.colour, "CONTROL_HXysButton"}, {lighting.fy.colourfulSwitch, "CONTROL_FYSJSStaPic"},
        {lighting.fixedColours[1], "CONTROL_HUANGPIC"}, {lighting.paintBrush, "CONTROL_USERgjStaPic1"},
        {lighting.ambient, "CONTROL_LedCombox"}, {lighting.ambientColour, "CONTROL_ColorButton"},
        {lighting.reportRates[1], "FUNC_REPORT2"}, {lighting.reportRates[3], "FUNC_REPORT4"}};
    for (const auto& [widget, key] : roles) {
        ASSERT_NE(widget, nullptr) << key;
        EXPECT_EQ(widget->objectName(), key);
    }
    EXPECT_TRUE(lighting.userLayouts->isEditable());
    EXPECT_FALSE(lighting.effects->isEditable());
    EXPECT_EQ(lighting.alwaysHidden.size(), 15u);  // 1157–1158, 1180–1184, 1186–1193
}

TEST_F(MainWindowSkinTest, ControlsArePlacedByTheirRuleAndBadValuesFallBack)
{
    CBaseDialog window(nullptr, LayoutFile(), Folder());
    const auto skin = LayOut(window);
    CPngButton* ok = skin->Buttons().ok;
    EXPECT_EQ(ok->geometry(), QRect(10, 20, 60, 24));
    EXPECT_EQ(ok->PictureOffset(), QPoint(10, 20));
    EXPECT_TRUE(ok->isEnabled());
    CPngButton* key = skin->Keyboard().keys[0].button;
    EXPECT_EQ(key->geometry(), QRect(100, 50, 20, 20));

    for (const int id : {main_id::kMacro, main_id::kCancel, main_id::kHelp}) {
        SCOPED_TRACE(id);  // missing, garbage, negative size
        EXPECT_EQ(skin->Control(id)->geometry(), QRect(1, 1, 1, 1));
        EXPECT_FALSE(skin->Control(id)->isEnabled());
    }
    // Plain controls take their place without a picture offset and stay enabled.
    EXPECT_EQ(skin->Control(main_id::kBrightnessSlider)->geometry(), QRect(20, 200, 50, 8));
    EXPECT_EQ(skin->Control(main_id::kAmbientList)->geometry(), QRect(1, 1, 1, 1));
    EXPECT_TRUE(skin->Control(main_id::kAmbientList)->isEnabled());
}

TEST_F(MainWindowSkinTest, ButtonsTakeThePicturesOfTheirSet)
{
    CBaseDialog window(nullptr, LayoutFile(), Folder());
    const auto skin = LayOut(window);
    window.show();
    CPngButton* ok = skin->Buttons().ok;
    EXPECT_TRUE(Near(Centre(ok), kNormal));
    ok->SetChecked(true);
    EXPECT_TRUE(Near(Centre(ok), kDisable)) << "checked shows the disable picture";
    ok->SetChecked(false);
    ok->setEnabled(false);
    EXPECT_TRUE(Near(Centre(ok), kNormal)) << "disabled shows the normal picture";

    CPngButton* apply = skin->Buttons().apply;
    apply->setEnabled(false);
    EXPECT_TRUE(Near(Centre(apply), kDisable));

    CPngButton* caps = skin->Buttons().capsLock;
    caps->setDown(true);
    EXPECT_TRUE(Near(Centre(caps), kNormal)) << "lock buttons have no pressed look";
    caps->setDown(false);
    caps->SetChecked(true);
    EXPECT_TRUE(Near(Centre(caps), kOver));

    CPngButton* flip = skin->Buttons().flipIndicator;
    flip->setDown(true);
    EXPECT_TRUE(Near(Centre(flip), kNormal));
    flip->SetChecked(true);
    flip->setDown(false);
    EXPECT_TRUE(Near(Centre(flip), kDisable));

    EXPECT_TRUE(Near(Centre(skin->Buttons().leftArrow), kArrow));
    EXPECT_TRUE(Near(skin->Pictures().colour1.toImage().pixelColor(5, 5), kColour1));
}

TEST_F(MainWindowSkinTest, LightingControlsStartClosedWithTheirBitmaps)
{
    CBaseDialog window(nullptr, LayoutFile(), Folder());
    const auto skin = LayOut(window);
    const LightingPanelControls& lighting = skin->Lighting();
    EXPECT_TRUE(lighting.brightness->isHidden());
    EXPECT_TRUE(lighting.reportRates[0]->isHidden());
    for (QWidget* hidden : lighting.alwaysHidden)
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_FALSE(lighting.openSwitch->isHidden());
    EXPECT_FALSE(lighting.title->isHidden());

    EXPECT_EQ(lighting.openSwitch->Picture().size(), QSize(12, 12));
    EXPECT_TRUE(lighting.fixedColours[0]->Picture().isNull()) << "cut short: blank";
    EXPECT_TRUE(skin->Bitmap("lan.bmp").isNull()) << "missing: blank";
    CSkinSlider* brightness = lighting.brightness;
    EXPECT_EQ(brightness->CurrentPicture().size(), QSize(50, 8)) << "position 0 shows 1.bmp";
    brightness->setValue(3);
    EXPECT_TRUE(brightness->CurrentPicture().isNull());
}

TEST_F(MainWindowSkinTest, DirectionGroupMovesToTheLayoutOfTheEffect)
{
    CBaseDialog window(nullptr, LayoutFile(), Folder());
    const auto skin = LayOut(window);
    QWidget* label = skin->Lighting().directionLabel;
    EXPECT_EQ(label->geometry(), QRect(30, 150, 60, 16));
    skin->PlaceDirectionGroup(2);
    EXPECT_EQ(label->geometry(), QRect(300, 200, 60, 16)) << "moved, size kept";
    skin->PlaceDirectionGroup(12);
    EXPECT_EQ(label->geometry(), QRect(1, 1, 60, 16)) << "no key for this effect";
    skin->PlaceDirectionGroup(5);
    EXPECT_EQ(label->pos(), QPoint(30, 150));
}

TEST_F(MainWindowSkinTest, ArrowsBlinkBetweenTheirTwoOffsets)
{
    CBaseDialog window(nullptr, LayoutFile(), Folder());
    const auto skin = LayOut(window);
    CPngButton* left = skin->Buttons().leftArrow;
    CPngButton* right = skin->Buttons().rightArrow;
    EXPECT_EQ(left->geometry(), QRect(200, 10, 10, 10));
    EXPECT_EQ(left->PictureOffset(), QPoint(0, 0));
    EXPECT_EQ(skin->ArrowTimer().interval(), MainWindowSkin::kArrowBlinkMs);
    EXPECT_TRUE(skin->ArrowTimer().isActive());
    skin->AdvanceArrowBlink();
    EXPECT_EQ(left->PictureOffset(), QPoint(10, 0));
    skin->SetArrowsUp(true);
    EXPECT_EQ(left->PictureOffset(), QPoint(30, 0));
    skin->AdvanceArrowBlink();
    EXPECT_EQ(left->PictureOffset(), QPoint(20, 0));
    EXPECT_EQ(right->PictureOffset(), QPoint(1, 1)) << "no offsets in the skin";
    EXPECT_FALSE(right->isEnabled());

    // Once in real time.
    const int phase = skin->ArrowPhase();
    QElapsedTimer clock;
    clock.start();
    while (skin->ArrowPhase() == phase && clock.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_NE(skin->ArrowPhase(), phase);
    EXPECT_GE(clock.elapsed(), 900);
}

TEST_F(MainWindowSkinTest, FontsOfTheSkin)
{
    CBaseDialog window(nullptr, LayoutFile(), Folder());
    const auto skin = LayOut(window);
    CPngButton* ok = skin->Buttons().ok;
    EXPECT_TRUE(ok->ShowsText());
    EXPECT_EQ(ok->TextFont().families().front(), "Arial");
    EXPECT_EQ(ok->TextFont().pointSize(), 10);
    EXPECT_EQ(skin->Buttons().version->TextFont().families().front(), "Verdana");
    EXPECT_FALSE(skin->Buttons().profileDialog->ShowsText());

    ColorStatic* working = skin->Buttons().workingModeLabel;
    EXPECT_EQ(working->font().families().front(), "Arial Unicode MS");
    EXPECT_EQ(working->font().pixelSize(), 20);
    EXPECT_EQ(working->font().weight(), QFont::DemiBold);
    EXPECT_EQ(working->TextColour(), kWorkingModeTextColour);
    // Whatever is installed stands in for a face that is not.
    EXPECT_FALSE(QFontInfo(working->font()).family().isEmpty());
}

TEST_F(MainWindowSkinTest, AMissingStatePictureIsNamed)
{
    std::filesystem::remove(skin_.File("main_color1.jpg"));
    std::string failed;
    EXPECT_FALSE(MainWindowSkin::LoadStatePictures(Folder(), failed));
    EXPECT_EQ(failed, "main_color1.jpg");
    WriteText(skin_.File("main_over.jpg"), "not a picture");
    EXPECT_FALSE(MainWindowSkin::LoadStatePictures(Folder(), failed));
    EXPECT_EQ(failed, "main_over.jpg");
}

}  // namespace
}  // namespace tavrin::ui
