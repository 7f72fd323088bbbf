// The main window built in the test's own process, over a keyboard context bound to the real
// library and a real emulator, with messages the test reads.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "app/tavrin_app.h"
#include "app/tavrin_dlg.h"
#include "app/window_messages.h"
#include "profiles/keyboard_context.h"
#include "support/answered_messages.h"
#include "support/emulator_process.h"
#include "support/temporary_folder.h"

namespace tavrin::app {
namespace {

using namespace std::chrono_literals;

class MainWindowInProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("HOME", home_.Path().c_str(), 1);  // the working file goes into this test's folder
        app_.Paths() = BuildPathTable(testing::BinaryFolder() + "/" + kApplicationTitle);
        app_.Texts() = model::LanguageTexts(app_.Paths().base, app_.SettingsKey(), model::kDefaultLanguage);
    }
    void TearDown() override { ::unsetenv("TOLVEX_EMULATOR"); }

    // A window over the emulator started with `emulatorOptions`, initialised and past MSG_INIT.
    std::unique_ptr<CTavrinDlg> OpenWindow(const std::vector<std::string>& emulatorOptions, bool shownOnce)
    {
        EXPECT_TRUE(emulator_.Start(emulatorOptions));
        ::setenv("TOLVEX_EMULATOR", emulator_.SocketPath().c_str(), 1);
        std::string failure;
        WindowOptions options;
        options.shownOnce = shownOnce;
        options.runtimeFolder = home_.Path().string();
        options.messages = &messages_;
        options.keyboard = profiles::KeyboardContext::Bind(testing::BinaryFolder(), messages_, failure);
        EXPECT_TRUE(options.keyboard) << failure;
        auto window = std::make_unique<CTavrinDlg>(app_, std::move(options));
        EXPECT_TRUE(window->Initialise());
        EXPECT_TRUE(PumpUntil([&] { return window->WindowReady(); }));
        return window;
    }

    static bool PumpUntil(const std::function<bool()>& condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    testing::TemporaryFolder home_;
    CTavrinApp app_;
    testing::EmulatorProcess emulator_;
    testing::AnsweredMessages messages_;
};

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

}  // namespace
}  // namespace tavrin::app
