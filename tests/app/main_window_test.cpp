// The main window built in the test's own process, over a keyboard context bound to the real
// library and a real emulator, with messages the test reads.
#include "app/main_window_fixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <fstream>

#include "app/about_dialog.h"
#include "model/key_record.h"
#include "profiles/profile_file.h"
#include "profiles/working_copy_edits.h"
#include "ui/png_button.h"

namespace tavrin::app {
namespace {

TEST_F(MainWindowInProcess, AKeyboardThereAtStartUpOpensTheWindowOnce)
{
    const auto window = OpenWindow({}, false);
    EXPECT_TRUE(PumpUntil([&] { return window->isVisible(); })) << "the keyboard's arrival shows it";
    EXPECT_TRUE(window->ShownOnce());
    EXPECT_TRUE(messages_.notified.empty());
    window->hide();
    window->HandleMessage(MSG_OPEN, MSG_OPEN_CHECK, 0);
    EXPECT_TRUE(window->isVisible()) << "a later start's MSG_OPEN shows it again";
    window->CloseDown();
}

TEST_F(MainWindowInProcess, WithoutAKeyboardOpeningSaysSoThroughTheSeam)
{
    const auto window = OpenWindow({"--unplugged"}, true);
    window->HandleMessage(MSG_OPEN, MSG_OPEN_CHECK, 0);
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(messages_.notified.size(), 1u);
    EXPECT_EQ(messages_.notified.front(), app_.Texts().Text("IDS_MAIN_DEVICE_PROMRT"));
    EXPECT_NE(messages_.notified.front(), model::kMissingText);
    window->HandleMessage(MSG_OPEN, MSG_OPEN_CHECK + 1, 0);
    EXPECT_EQ(messages_.notified.size(), 1u) << "a message without its check value is ignored";
    window->CloseDown();
}

TEST_F(MainWindowInProcess, AKeyboardThatRefusesTheUserAddsALineToTheMessage)
{
    int asked = 0;
    keyboardRefused_ = [&] {
        ++asked;
        return true;
    };
    const auto window = OpenWindow({"--unplugged"}, true);
    EXPECT_EQ(asked, 0) << "asked only when the message is shown";
    window->HandleMessage(MSG_OPEN, MSG_OPEN_CHECK, 0);
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(messages_.notified.size(), 1u);
    const std::string access = app_.Texts().Text("IDS_MAIN_DEVICE_ACCESS");
    EXPECT_NE(access, model::kMissingText);
    EXPECT_NE(access.find("tavrinctl doctor"), std::string::npos);
    EXPECT_EQ(messages_.notified.front(), app_.Texts().Text("IDS_MAIN_DEVICE_PROMRT") + "\n" + access)
        << "the usual text first and unchanged, then the line";
    window->CloseDown();
}

TEST_F(MainWindowInProcess, ALaterArrivalWithStartDoesNotOpenTheWindow)
{
    window_ = OpenWindow({"--unplugged"}, true);
    emulator_.Control("plug");
    ASSERT_TRUE(PumpUntil([&] { return Present() && window_->Tray()->Icon() == model::kConnectedIcon; }));
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(messages_.notified.empty());
}

TEST_F(MainWindowInProcess, TheBankKeyWritesTheStatusAndTheGButtonsFollow)
{
    CTavrinDlg& window = OpenWithKeyboard();
    // G1 of bank 1 is assigned, G1 of bank 0 is not.
    profiles::StoreAssignment(app_.Working(), 0, model::GRecord(0, 1), model::KIND_KEY, 0, 0x01E, std::nullopt);
    ui::CPngButton* g1 = window.Skin()->Keyboard().gKeys[0];
    ui::CPngButton* bank = window.Skin()->Buttons().bankLock;
    EXPECT_FALSE(g1->Checked());

    emulator_.Control("bank");
    EXPECT_TRUE(PumpUntil([&] { return Dump().find("\"bank_status\": \"0503\"") != std::string::npos; }));
    EXPECT_TRUE(PumpUntil([&] { return bank->Checked() && g1->Checked(); })) << "bank 1 shown";
    emulator_.Control("bank");
    EXPECT_TRUE(PumpUntil([&] { return Dump().find("\"bank_status\": \"0502\"") != std::string::npos; }));
    EXPECT_TRUE(PumpUntil([&] { return !bank->Checked() && !g1->Checked(); })) << "bank 0 again";
}

TEST_F(MainWindowInProcess, AProfileChangedOnTheKeyboardMarksItsButton)
{
    CTavrinDlg& window = OpenWithKeyboard();
    const auto& profiles = window.Skin()->Buttons().profiles;
    EXPECT_TRUE(PumpUntil([&] { return profiles[0]->Checked(); })) << "the arrival marks the active profile";
    emulator_.Control("profile 2");
    EXPECT_TRUE(PumpUntil([&] { return profiles[2]->Checked() && !profiles[0]->Checked(); }));
}

TEST_F(MainWindowInProcess, ThePlayIndicatorShowsThePlayIconAndThenTheRememberedOne)
{
    CTavrinDlg& window = OpenWithKeyboard();
    emulator_.Control("play on");
    EXPECT_TRUE(PumpUntil([&] { return window.Tray()->Icon() == model::kPlayingIcon; }));
    emulator_.Control("play off");
    EXPECT_TRUE(PumpUntil([&] { return window.Tray()->Icon() == model::kConnectedIcon; }));
}

TEST_F(MainWindowInProcess, SwitchingWithUnappliedChangesAsksAndYesAppliesThemToTheOldProfile)
{
    CTavrinDlg& window = OpenWithKeyboard();
    const std::size_t keyA = 0x1E;
    profiles::StoreAssignment(app_.Working(), 0, keyA, model::KIND_KEY, 0, 0x030, std::nullopt);
    window.SetSettingsModified(true);
    messages_.SetNextAnswer(model::Answer::Yes);
    window.Skin()->Buttons().profiles[1]->click();
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked.front(), app_.Texts().Text("IDS_PROFILE_SELECT_PROMPT"));
    EXPECT_EQ(window.Keyboard()->Active().ReadActiveProfile(), 1);
    EXPECT_FALSE(window.SettingsModified());
    EXPECT_TRUE(window.Skin()->Buttons().profiles[1]->Checked());

    // What the keyboard holds now, read back into the working copy.
    window.HandleMessage(MSG_PROFILE_RELOAD, MSG_PROFILE_RELOAD_CHECK, 0);
    std::lock_guard lock(app_.Working().lock);
    EXPECT_EQ(app_.Working().Record(0, keyA).kind, model::KIND_KEY) << "applied to profile 1 before the switch";
    EXPECT_EQ(app_.Working().Record(0, keyA).value, 0x030u);
}

TEST_F(MainWindowInProcess, SwitchingAndAnsweringNoReloadsTheWorkingFile)
{
    CTavrinDlg& window = OpenWithKeyboard();
    const std::size_t keyA = 0x1E;
    profiles::StoreAssignment(app_.Working(), 0, keyA, model::KIND_KEY, 0, 0x030, std::nullopt);
    window.SetSettingsModified(true);
    window.Skin()->Buttons().profiles[2]->click();  // no answer given: No
    EXPECT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(window.Keyboard()->Active().ReadActiveProfile(), 2);
    EXPECT_FALSE(window.SettingsModified());
    EXPECT_FALSE(window.Skin()->Buttons().apply->isEnabled());
    std::lock_guard lock(app_.Working().lock);
    EXPECT_EQ(app_.Working().Record(0, keyA).kind, model::KIND_DEFAULT) << "the edit is gone";
}

TEST_F(MainWindowInProcess, ApplyInTheKeyboardsDefaultModeChangesNothing)
{
    CTavrinDlg& window = OpenWithKeyboard();
    emulator_.Control("profile 3");
    const std::string before = Dump();
    window.SetSettingsModified(true);
    window.Apply();
    EXPECT_TRUE(window.SettingsModified());
    EXPECT_EQ(Dump(), before);
}

TEST_F(MainWindowInProcess, EnterAndEscapeLeaveTheWindowOpenAndASecondAboutDoesNothing)
{
    CTavrinDlg& window = OpenWithKeyboard();
    window.HandleMessage(MSG_OPEN, MSG_OPEN_CHECK, 0);
    ASSERT_TRUE(window.isVisible());
    for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(window.Skin()->Buttons().ok, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(window.Skin()->Buttons().ok, &release);
        QApplication::processEvents();
        EXPECT_TRUE(window.isVisible()) << key;
    }
    window.close();  // the window manager's close
    EXPECT_FALSE(window.isVisible()) << "hidden as Cancel hides it";
    EXPECT_FALSE(window.Tray() == nullptr);

    window.OnCommand(ui::kCommandAbout);
    CAboutDlg* about = CAboutDlg::Current();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->Version().text().toStdString(), app_.Texts().Text("IDS_ABOUT_VERSION"));
    window.OnCommand(ui::kCommandAbout);
    EXPECT_EQ(CAboutDlg::Current(), about) << "one about box at a time";
    emulator_.Control("unplug");
    EXPECT_TRUE(PumpUntil([] { return CAboutDlg::Current() == nullptr; })) << "the keyboard's removal closes it";
}

TEST_F(MainWindowInProcess, RestoringABadFileSaysWhyAndChangesNothing)
{
    CTavrinDlg& window = OpenWithKeyboard();
    const std::string bad = home_.Path().string() + "/bad.tvn";
    std::ofstream(bad, std::ios::binary) << std::string(32832, '\0');
    const std::string before = Dump();
    messages_.SetNextFileName(bad);
    window.OnCommand(kCommandRestore);
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_NE(messages_.shown[0].find(bad), std::string::npos) << "the format message names the file";
    EXPECT_EQ(messages_.shown[1], app_.Texts().Text("IDS_MAIN_PROMPT_INPORT"));
    EXPECT_EQ(Dump(), before);
}

TEST_F(MainWindowInProcess, AQuickUnplugAndReplugEndsWithTheKeyboardPresent)
{
    CTavrinDlg& window = OpenWithKeyboard();
    emulator_.Control("unplug");
    emulator_.Control("plug");
    EXPECT_TRUE(PumpUntil([&] { return Present() && window.Tray()->Icon() == model::kConnectedIcon; }));
    std::this_thread::sleep_for(300ms);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Present());
}

TEST_F(MainWindowInProcess, UnpluggingWithTheProfileDialogOpenClosesItAndHidesTheWindow)
{
    CTavrinDlg& window = OpenWithKeyboard();
    window.HandleMessage(MSG_OPEN, MSG_OPEN_CHECK, 0);
    bool dialogShown = false;
    WhenProfileDialogShows([&] {
        dialogShown = true;
        EXPECT_EQ(CTavrin_DlgProfile::OpenCount(), 1);
        emulator_.Control("unplug");
    });
    window.Skin()->Buttons().profileDialog->click();  // returns once the dialog is closed
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(window.ProfileDialog(), nullptr);
    EXPECT_EQ(CTavrin_DlgProfile::OpenCount(), 0);
    EXPECT_TRUE(PumpUntil([&] { return !window.isVisible(); }));
}

TEST_F(MainWindowInProcess, TheProfileDialogStoresItsRowsAndACheckedFourthRowIsTheDefaultMode)
{
    CTavrinDlg& window = OpenWithKeyboard();
    const std::string added = home_.Path().string() + "/Games.tvn";
    WhenProfileDialogShows([&] {
        CTavrin_DlgProfile* dialog = window.ProfileDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->Table().topLevelItemCount(), 3);
        EXPECT_EQ(dialog->Table().topLevelItem(0)->checkState(0), Qt::Checked) << "profile 1 is active";
        messages_.SetNextFileName(added);
        dialog->OnAdd();
        ASSERT_EQ(dialog->Table().topLevelItemCount(), 4);
        dialog->Table().topLevelItem(3)->setCheckState(0, Qt::Checked);
        EXPECT_EQ(dialog->Table().topLevelItem(0)->checkState(0), Qt::Unchecked) << "one row at a time";
        dialog->OnOk();
    });
    window.Skin()->Buttons().profileDialog->click();
    ASSERT_EQ(messages_.fileChoices.size(), 1u);
    EXPECT_TRUE(messages_.fileChoices[0].confirmOverwrite);
    EXPECT_NE(messages_.fileChoices[0].initialName.find("Tavrin_R2T/The new contextual  mode"), std::string::npos);
    profiles::ProfileData created;
    EXPECT_TRUE(profiles::LoadProfileFile(added, created)) << "the added row's file has default data";
    EXPECT_EQ(app_.Settings().GetSetting(profiles::kProfilesSection, "PROFILE00", ""), "4");
    EXPECT_EQ(app_.Settings().GetSetting(profiles::kProfilesSection, "PROFILE04", ""), added);
    EXPECT_EQ(window.Keyboard()->Active().ReadActiveProfile(), 3) << "the keyboard's default mode";
    EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
}  // namespace tavrin::app
