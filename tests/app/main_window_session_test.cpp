// The window after the session comes back (from sleep, or unlocked): the keyboard, changed
// meanwhile by another program, is read again, and changes not applied yet are kept.
#include "main_window_fixture.h"

#include "profiles/working_copy_edits.h"
#include "support/fake_logind.h"

namespace tavrin::app {
namespace {

class MainWindowSession : public MainWindowInProcess {
protected:
    void SetUp() override
    {
        MainWindowInProcess::SetUp();
        if (const std::string failure = bus_.Start(); !failure.empty())
            GTEST_SKIP() << failure;
        logindBus_ = bus_.Connect("program");
        ASSERT_TRUE(logindBus_->isConnected());
    }

    // The window over the keyboard, following the fake logind's session, with profile 1 active.
    CTavrinDlg& Open()
    {
        CTavrinDlg& window = OpenWithKeyboard();
        EXPECT_TRUE(PumpUntil([&] { return !window.Session()->SessionPath().isEmpty(); }));
        EXPECT_TRUE(testing::FakeLogindBus::RoundTrip(*logindBus_)) << "logind's signals may not reach it yet";
        EXPECT_TRUE(PumpUntil([&] { return window.Skin()->Buttons().profiles[0]->Checked(); }));
        return window;
    }
    // Another program makes profile 3 active, which the keyboard does not announce.
    void SwitchBehindTheWindow(CTavrinDlg& window)
    {
        int exitCode = -1;
        const std::string said = testing::RunCommand("TOLVEX_EMULATOR='" + emulator_.SocketPath() + "' '"
                + testing::BinaryFolder() + "/tavrinctl' profile 3 2>&1",
            &exitCode);
        ASSERT_EQ(exitCode, 0) << said;
        ASSERT_TRUE(bus_.WaitForMarker(*logindBus_));
        for (int round = 0; round < 20; ++round)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(window.Skin()->Buttons().profiles[0]->Checked()) << "the window heard of it already";
    }

    testing::FakeLogindBus bus_;
};

TEST_F(MainWindowSession, AfterSleepTheKeyboardIsReadAgain)
{
    CTavrinDlg& window = Open();
    SwitchBehindTheWindow(window);
    ASSERT_TRUE(bus_.EmitSleep(true));
    ASSERT_TRUE(bus_.EmitSleep(false));
    const auto& profiles = window.Skin()->Buttons().profiles;
    EXPECT_TRUE(PumpUntil([&] { return profiles[2]->Checked() && !profiles[0]->Checked(); }));
    EXPECT_EQ(window.Keyboard()->Active().Value(), 2);
}

TEST_F(MainWindowSession, AnUnlockReadsTheKeyboardAgainButKeepsChangesNotApplied)
{
    CTavrinDlg& window = Open();
    const std::size_t keyA = 0x1E;
    profiles::StoreAssignment(app_.Working(), 0, keyA, model::KIND_KEY, 0, 0x030, std::nullopt);
    window.SetSettingsModified(true);
    SwitchBehindTheWindow(window);
    ASSERT_TRUE(bus_.EmitSessionProperties({{QStringLiteral("LockedHint"), true}}));
    EXPECT_TRUE(PumpUntil([&] { return window.Session()->Suspended(); }));
    ASSERT_TRUE(bus_.EmitSessionProperties({{QStringLiteral("LockedHint"), false}}));
    const auto& profiles = window.Skin()->Buttons().profiles;
    EXPECT_TRUE(PumpUntil([&] { return profiles[2]->Checked() && !profiles[0]->Checked(); }));
    EXPECT_FALSE(window.Session()->Suspended());
    EXPECT_TRUE(window.SettingsModified());
    std::lock_guard lock(app_.Working().lock);
    EXPECT_EQ(app_.Working().Record(0, keyA).kind, model::KIND_KEY) << "the edit is kept";
}

}  // namespace
}  // namespace tavrin::app
