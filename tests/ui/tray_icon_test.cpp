// The tray icon: its life, its menu's labels, what a mouse event on it does, and which picture the
// keyboard's state chooses.
#include "ui/tray_icon.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include "model/tray_icon_state.h"
#include "skin_files.h"

namespace tavrin::ui {
namespace {

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::WriteText(folder_.File("language.ini"),
            "[LANGUAGE]\nlanguage=1\n[ENGINSH]\nMENU_11=Open\nMENU_22=About\nMENU_33=Exit\n");
    }
    std::unique_ptr<CTrayIcon> Tray()
    {
        return std::make_unique<CTrayIcon>(
            [this](int icon) {
                asked_.push_back(icon);
                return QIcon();
            },
            folder_.File("language.ini"), "ENGINSH");
    }
    QStringList Labels(CTrayIcon& tray)
    {
        QStringList labels;
        for (QAction* action : tray.Menu().actions())
            labels << action->text();
        return labels;
    }

    testing::TemporaryFolder folder_;
    std::vector<int> asked_;
    QObject owner_;
};

TEST_F(TrayIconTest, AnUncreatedIconDoesNothing)
{
    auto tray = Tray();
    EXPECT_FALSE(tray->Create(nullptr, "tip", 128)) << "no owner";
    EXPECT_FALSE(tray->Create(&owner_, "tip", 128, 141)) << "another identifier";
    EXPECT_FALSE(tray->Created());
    tray->SetIcon(141);
    tray->SetTooltip("other");
    tray->Readd();
    tray->Remove();
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(tray->PlatformIcon(), nullptr);
}

TEST_F(TrayIconTest, TheMenuIsLabelledFromTheSkinFileAndThenRelabelled)
{
    auto tray = Tray();
    ASSERT_TRUE(tray->Create(&owner_, QString(200, 'x'), 128));
    EXPECT_EQ(tray->Tooltip().size(), kTrayTooltipLimit);
    EXPECT_EQ(Labels(*tray), (QStringList{"Open", "About", "Exit"}));
    EXPECT_EQ(tray->Menu().defaultAction(), tray->Menu().actions().front()) << "Open is the default";
    tray->SetMenuRelabel([](QMenu& menu) {
        for (QAction* action : menu.actions())
            if (action->data().toInt() == kCommandExit)
                action->setText("Quitter");
    });
    emit tray->Menu().aboutToShow();
    EXPECT_EQ(Labels(*tray), (QStringList{"Open", "About", "Quitter"}));
    tray->Remove();
    EXPECT_FALSE(tray->Created());
}

TEST_F(TrayIconTest, ADoubleClickOpensAndASingleClickDoesNothing)
{
    auto tray = Tray();
    ASSERT_TRUE(tray->Create(&owner_, "tip", 128));
    QSignalSpy commands(tray.get(), &CTrayIcon::Command);
    EXPECT_EQ(tray->OnTrayNotification(kTrayIconIdentifier, TrayMouse::LeftClick), 1);
    EXPECT_EQ(tray->OnTrayNotification(kTrayIconIdentifier + 1, TrayMouse::LeftDoubleClick), 0);
    EXPECT_EQ(commands.count(), 0);
    tray->OnTrayNotification(kTrayIconIdentifier, TrayMouse::LeftDoubleClick);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.front().front().toInt(), kCommandOpen);
    tray->Menu().actions().back()->trigger();
    EXPECT_EQ(commands.back().front().toInt(), kCommandExit);
}

TEST(TrayIconState, ThePlaySymbolComesAndGoesBackToTheLastChoice)
{
    using model::TrayIconState;
    const struct {
        bool playing;
        int icon;
        std::optional<int> shown;
    } steps[] = {
        {false, 0, std::nullopt},                            // play off before any keyboard: 128, shown already
        {true, 0, 142}, {false, 0, 128}, {false, 141, 141},  // the keyboard came
        {false, 141, std::nullopt},                          // asked twice: the tray is not touched
        {true, 0, 142}, {true, 0, std::nullopt}, {false, 0, 141}, {false, 128, 128},  // the keyboard went
    };
    TrayIconState state;
    int step = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(step++);
        EXPECT_EQ(state.SetTrayState(s.playing, s.icon), s.shown);
    }
}

}  // namespace
}  // namespace tavrin::ui
