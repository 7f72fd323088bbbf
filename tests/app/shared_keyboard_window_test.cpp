// The window and tavrinctl on one keyboard at the same time, over and over: each one's sequences are
// units, the keyboard ends with what one of them wrote whole, the emulator never sees a request of
// one inside the other's bracket, and neither says it wrote what it did not.
#include <filesystem>
#include <thread>

#include "main_window_fixture.h"
#include "model/key_record.h"
#include "platform/atomic_file.h"
#include "profiles/profile_file.h"
#include "profiles/working_copy_edits.h"
#include "support/sample_profile.h"
#include "ui/skin_slider.h"

namespace tavrin::app {
namespace {

class SharedKeyboard : public MainWindowInProcess {
protected:
    int Tavrinctl(const std::string& arguments)
    {
        int exitCode = -1;
        testing::RunCommand("HOME='" + home_.Path().string() + "' TOLVEX_EMULATOR='" + emulator_.SocketPath() + "' '"
                + testing::BinaryFolder() + "/tavrinctl' " + arguments + " >/dev/null 2>>'" + home_.File("stderr")
                + "'",
            &exitCode);
        return exitCode;
    }
    std::string SampleFile()
    {
        auto sample = std::make_unique<profiles::ProfileData>();
        testing::FillSampleProfile(*sample);
        const std::string path = home_.File("sample.tvn");
        EXPECT_TRUE(profiles::SaveProfileFile(path, *sample));
        return path;
    }
    // An edit waiting in the window: a of profile 1 types b.
    void EditInWindow()
    {
        profiles::StoreAssignment(app_.Working(), 0, 0x1E, model::KIND_KEY, 0, 0x030, std::nullopt);
        window_->SetSettingsModified(true);
    }
    std::string Profiles() { return testing::KeyMapsAndMacrosOf(Dump()); }

    int trials_ = 0;
    int faults_ = 0;
    int refusals_ = 0;  // a side that refused (an answer of the other's reached it late) and said so
    // `told`: each side either did what it said or said it failed.
    void Count(bool whole, bool apart, bool told, bool refused)
    {
        ++trials_;
        faults_ += whole && apart && told ? 0 : 1;
        refusals_ += refused ? 1 : 0;
        EXPECT_TRUE(whole) << "trial " << trials_ << ": neither side's result is whole on the keyboard";
        EXPECT_TRUE(apart) << "trial " << trials_ << ": the brackets interleaved";
        EXPECT_TRUE(told) << "trial " << trials_ << ": a side did not say what it did";
    }
    void Summarise(const char* what)
    {
        EXPECT_LE(refusals_, trials_ / 2) << "nearly every trial should go through";
        std::printf("%s: %d trials, %d faults, %d refused and said so\n", what, trials_, faults_, refusals_);
    }
};

TEST_F(SharedKeyboard, ARestoreWhileTheWindowAppliesLeavesOneWholeResult)
{
    CTavrinDlg& window = OpenWithKeyboard();
    const std::string sample = SampleFile();
    // Each order, one after the other.
    EditInWindow();
    window.Apply();
    ASSERT_EQ(Tavrinctl("restore '" + sample + "'"), 0);
    const std::string restoreLast = Profiles();
    EditInWindow();
    window.Apply();
    const std::string windowLast = Profiles();
    ASSERT_NE(restoreLast, windowLast);

    for (int trial = 0; trial < 8; ++trial) {
        emulator_.Control("brackets reset");
        EditInWindow();
        int restored = -1;
        std::thread restore([&] { restored = Tavrinctl("restore '" + sample + "'"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(3 * trial));  // overlaps of every kind
        window.Apply();
        restore.join();
        const std::string memory = Profiles();
        const std::optional<testing::EmulatorBrackets> brackets = emulator_.Brackets();
        // The window keeps Apply on and says why when it fails; tavrinctl exits 1 with a reason.
        const bool windowTold = !window.SettingsModified() || !messages_.shown.empty();
        const bool toolTold = restored == 0
            || (restored == 1 && !platform::ReadWholeFile(home_.File("stderr"), 4096).value_or("").empty());
        Count(memory == restoreLast || memory == windowLast, brackets && !brackets->Interleaved(),
            windowTold && toolTold, restored != 0 || window.SettingsModified());
        messages_.shown.clear();
        std::filesystem::remove(home_.File("stderr"));
    }
    Summarise("restore while the window applies");
}

// tavrinctl sets the effect and speed while the panel's brightness slider is dragged: every field
// holds the value of the side that wrote it, and nothing is cut into.
TEST_F(SharedKeyboard, LightingFromTavrinctlWhileThePanelIsDraggedKeepsBothSidesFields)
{
    OpenWithKeyboard();
    if (!window_->Lighting()->PanelOpen())
        emit window_->Skin()->Lighting().openSwitch->Clicked();
    for (int trial = 0; trial < 6; ++trial) {
        emulator_.Control("brackets reset");
        int lit = -1;
        const int speed = 2 + trial;
        std::thread tool([&] { lit = Tavrinctl("lighting --effect 1 --speed " + std::to_string(speed)); });
        for (int value = 1; value <= 12; ++value) {
            window_->Skin()->Lighting().brightness->setValue(value + trial);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        tool.join();
        const int brightness = window_->Lighting()->State().brightness;
        const std::string settings = Dump().substr(Dump().find("\"settings\": \"") + 13, 14);
        const std::optional<testing::EmulatorBrackets> brackets = emulator_.Brackets();
        const int keyboardBrightness = std::stoi(settings.substr(8, 2), nullptr, 16);
        const int keyboardSpeed = std::stoi(settings.substr(10, 2), nullptr, 16);
        // A side that failed says so: tavrinctl exits 1, the panel notifies and reads the keyboard again.
        const bool toolWrote = lit == 0;
        const bool panelWrote = messages_.notified.empty();
        const bool whole = (!toolWrote || (keyboardSpeed == 24 - speed && settings.substr(6, 2) == "01"))
            && (!panelWrote || keyboardBrightness == brightness);
        Count(whole, brackets && !brackets->Interleaved(), lit == 0 || lit == 1, !toolWrote || !panelWrote);
        messages_.notified.clear();
    }
    Summarise("lighting while the panel is dragged");
}

}  // namespace
}  // namespace tavrin::app
