// The main window follows what tavrinctl does to the keyboard: the real tool, run as a process,
// tells the window's real instance server, and the window shows the keyboard's new state within a
// second; with unapplied edits it asks first, and both answers do what they say.
#include <QCoreApplication>
#include <fstream>
#include <future>

#include "app/instance_channel.h"
#include "app/main_window_fixture.h"
#include "lighting/key_colours.h"
#include "lighting/user_colour_file.h"
#include "platform/instance_lock.h"
#include "platform/user_folders.h"
#include "profiles/keyboard_changes.h"
#include "profiles/profile_file.h"
#include "profiles/working_copy_edits.h"
#include "support/sample_profile.h"
#include "ui/png_button.h"
#include "ui/skin_color_button.h"

namespace tavrin::app {
namespace {

constexpr int kKeyQ = 1044;  // LED 43
constexpr int kLedQ = 43;
constexpr std::size_t kKeyA = 0x1E;

// The hex of profile `slot`'s per-key colours, from the emulator's dump.
std::string ColoursOf(const std::string& dump, std::size_t slot)
{
    std::size_t at = dump.find("\"colours\": [\"");
    if (at == std::string::npos)
        return {};
    at += 13;
    for (std::size_t i = 0; i < slot; ++i)
        at = dump.find('"', dump.find('"', at) + 1) + 1;
    return dump.substr(at, dump.find('"', at) - at);
}
std::string LedHex(const std::string& dump, std::size_t slot, int led)
{
    return ColoursOf(dump, slot).substr(static_cast<std::size_t>(6 * led), 6);
}

std::size_t PlaceOf(int controlId)
{
    const auto& buttons = lighting::LitButtons();
    for (std::size_t place = 0; place < buttons.size(); ++place)
        if (buttons[place].controlId == controlId)
            return place;
    return buttons.size();
}

class KeyboardNotices : public MainWindowInProcess {
protected:
    void SetUp() override
    {
        MainWindowInProcess::SetUp();
        // The window's channel, the keyboard's lock file and tavrinctl all in this test's own folder.
        ::setenv("XDG_RUNTIME_DIR", home_.Path().c_str(), 1);
    }
    void TearDown() override
    {
        server_.Close();
        MainWindowInProcess::TearDown();
        ::unsetenv("XDG_RUNTIME_DIR");
    }

    // The window over the emulator, answering on the program's channel as the program does.
    CTavrinDlg& Open()
    {
        CTavrinDlg& window = OpenWithKeyboard();
        const auto address = platform::InstanceAddressFor(platform::RuntimeFolder(), profiles::kInstanceMutexName);
        EXPECT_TRUE(address);
        EXPECT_EQ(platform::RuntimeFolder(), home_.Path().string());
        server_.SetHandler([this](const InstanceMessage& message) {
            return window_->HandleMessage(message.number, message.wParam, message.lParam);
        });
        EXPECT_TRUE(server_.Listen(address->socketPath)) << server_.ErrorString();
        return window;
    }

    // Runs tavrinctl with `arguments` while the window's loop runs; its exit status.
    int Tavrinctl(const std::string& arguments)
    {
        auto exit = std::async(std::launch::async, [arguments] {
            int code = -1;
            testing::RunCommand("'" + testing::BinaryFolder() + "/tavrinctl' " + arguments + " >/dev/null", &code);
            return code;
        });
        while (exit.wait_for(5ms) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return exit.get();
    }

    // Whether `condition` holds within a second of now, the window's loop running.
    static bool WithinASecond(const std::function<bool()>& condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + 1s;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }

    // A profile file unlike the emulator's profiles, and its contents.
    std::string SampleFile(profiles::ProfileData& sample)
    {
        testing::FillSampleProfile(sample);
        const std::string path = home_.File("b1.tvn");
        EXPECT_TRUE(profiles::SaveProfileFile(path, sample));
        return path;
    }

    model::KeyRecord WorkingRecord(int profile, std::size_t record)
    {
        std::lock_guard lock(app_.Working().lock);
        return app_.Working().Record(profile, record);
    }

    // An edit of key A in profile 1 that waits for Apply.
    model::KeyRecord EditKeyA(CTavrinDlg& window)
    {
        profiles::StoreAssignment(app_.Working(), 0, kKeyA, model::KIND_KEY, 0, 0x031, std::nullopt);
        window.SetSettingsModified(true);
        return WorkingRecord(0, kKeyA);
    }

    InstanceServer server_;
};

TEST_F(KeyboardNotices, TheWindowFollowsRestoreColoursLightingAndProfile)
{
    CTavrinDlg& window = Open();
    const ui::LightingPanelControls& l = window.Skin()->Lighting();
    lighting::LightingEditor& editor = *window.Lighting();

    // restore: the working copy is the file's, nothing waits for Apply.
    profiles::ProfileData sample;
    const std::string file = SampleFile(sample);
    ASSERT_NE(WorkingRecord(0, kKeyA), sample.Record(0, kKeyA)) << "the file changes what the window shows";
    ASSERT_EQ(Tavrinctl("restore '" + file + "'"), 0);
    EXPECT_TRUE(WithinASecond([&] { return WorkingRecord(0, kKeyA) == sample.Record(0, kKeyA); }));
    WaitForKeyboardWork();
    {
        std::lock_guard lock(app_.Working().lock);
        testing::ExpectSameKeyboardContent(sample, app_.Working());
    }
    EXPECT_FALSE(window.SettingsModified());
    EXPECT_TRUE(messages_.asked.empty()) << "nothing waited to be applied: nothing to ask";

    // colours --set: Q loses its base-colour mark in the window, so the panel's next base colour
    // leaves it as painted, on the keyboard and in the layout file. W keeps its mark.
    constexpr int kKeyW = 1045;
    emit l.effects->activated(editor.Modes().PositionOf(lighting::kPerKeyMode));
    editor.ChooseBrush(lighting::Brush::Base);
    editor.Paint(kKeyQ);
    editor.Paint(kKeyW);
    ASSERT_TRUE(editor.Colours().Mark(0, PlaceOf(kKeyQ)));
    const std::string paints = home_.File("paints.txt");
    std::ofstream(paints) << "Q=00FF00\n";
    ASSERT_EQ(Tavrinctl("colours --set '" + paints + "'"), 0);
    EXPECT_TRUE(WithinASecond(
        [&] { return editor.Colours().ColourAt(0, kLedQ) == 0x00FF00u && !editor.Colours().Mark(0, PlaceOf(kKeyQ)); }));
    WaitForKeyboardWork();
    EXPECT_TRUE(editor.Colours().Mark(0, PlaceOf(kKeyW)));
    emit l.baseColour->ColourChosen(0x0000FFu);  // red
    const std::string dump = Dump();
    EXPECT_EQ(LedHex(dump, 0, kLedQ), "00ff00") << "the painted key kept its colour";
    EXPECT_EQ(LedHex(dump, 0, 44), "ff0000") << "a marked key took the base colour";
    const lighting::UserColourFile layouts(lighting::UserColourPrefix(platform::DocumentsFolder()));
    const lighting::KeyEntry kept = layouts.ReadKeyEntry(0, layouts.SelectedLayout(0), kLedQ);
    EXPECT_EQ(kept.colour, 0x00FF00u);
    EXPECT_FALSE(kept.mark);

    // lighting: the panel shows the new effect.
    ASSERT_EQ(Tavrinctl("lighting --effect Breathing --brightness 7"), 0);
    EXPECT_TRUE(WithinASecond([&] { return editor.State().mode == 5 && editor.State().brightness == 7; }));
    WaitForKeyboardWork();
    EXPECT_EQ(l.effects->currentText(), "Breathing");

    // profile: the window marks profile 2 and shows its lighting.
    ASSERT_EQ(Tavrinctl("profile 2"), 0);
    EXPECT_TRUE(WithinASecond([&] {
        return window.Skin()->Buttons().profiles[1]->Checked() && !window.Skin()->Buttons().profiles[0]->Checked();
    }));
    WaitForKeyboardWork();
    EXPECT_EQ(window.Keyboard()->Active().Value(), 1);
    EXPECT_EQ(editor.Profile(), 1);
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(KeyboardNotices, OverUnappliedEditsYesTakesTheKeyboardsProfiles)
{
    CTavrinDlg& window = Open();
    profiles::ProfileData sample;
    const std::string file = SampleFile(sample);
    ASSERT_NE(EditKeyA(window), sample.Record(0, kKeyA));
    messages_.SetNextAnswer(model::Answer::Yes);
    ASSERT_EQ(Tavrinctl("restore '" + file + "'"), 0);
    EXPECT_TRUE(WithinASecond([&] { return !window.SettingsModified(); }));
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0], app_.Texts().Text("IDS_MAIN_KEYBOARD_CHANGED_PROMPT"));
    WaitForKeyboardWork();
    EXPECT_FALSE(window.Skin()->Buttons().apply->isEnabled());
    std::lock_guard lock(app_.Working().lock);
    testing::ExpectSameKeyboardContent(sample, app_.Working());
}

TEST_F(KeyboardNotices, OverUnappliedEditsNoKeepsThemAndApplyWritesThem)
{
    CTavrinDlg& window = Open();
    profiles::ProfileData sample;
    const std::string file = SampleFile(sample);
    const model::KeyRecord edited = EditKeyA(window);
    ASSERT_NE(edited, sample.Record(0, kKeyA));
    messages_.SetNextAnswer(model::Answer::No);
    ASSERT_EQ(Tavrinctl("restore '" + file + "'"), 0);
    EXPECT_TRUE(WithinASecond([&] { return messages_.asked.size() == 1; }));
    WaitForKeyboardWork();
    EXPECT_TRUE(window.SettingsModified());
    EXPECT_TRUE(window.Skin()->Buttons().apply->isEnabled());
    EXPECT_EQ(WorkingRecord(0, kKeyA), edited) << "the edit stays";

    window.Apply();
    EXPECT_FALSE(window.SettingsModified());
    window.HandleMessage(MSG_PROFILE_RELOAD, MSG_PROFILE_RELOAD_CHECK, 0);  // what the keyboard holds now
    WaitForKeyboardWork();
    EXPECT_EQ(WorkingRecord(0, kKeyA), edited) << "Apply wrote the edit";
    EXPECT_EQ(messages_.asked.size(), 1u);
}

}  // namespace
}  // namespace tavrin::app
