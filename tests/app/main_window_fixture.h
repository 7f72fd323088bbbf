// The main window built in the test's own process, over a keyboard context bound to the real
// library and a real emulator, with messages the test reads.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <thread>

#include "app/tavrin_app.h"
#include "app/tavrin_dlg.h"
#include "app/window_messages.h"
#include "profiles/keyboard_context.h"
#include "support/answered_messages.h"
#include "support/emulator_process.h"
#include "support/temporary_folder.h"

namespace tavrin::app {

using namespace std::chrono_literals;

// The service library is bound once per process, as in the program: each test runs in a process of
// its own (ctest starts every test case separately).

class MainWindowInProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("HOME", home_.Path().c_str(), 1);  // the working file goes into this test's folder
        app_.Paths() = BuildPathTable(testing::BinaryFolder() + "/" + kApplicationTitle);
        app_.Texts() = model::LanguageTexts(app_.Paths().base, app_.SettingsKey(), model::kDefaultLanguage);
        app_.Settings() = profiles::FrameworkSettings(home_.File("Tavrin.ini"));
        EXPECT_TRUE(app_.SettingsKey().Open(home_.File("key/settings.ini")));
    }
    void TearDown() override
    {
        if (window_)
            window_->CloseDown();
        window_.reset();
        ::unsetenv("TOLVEX_EMULATOR");
    }

    // The window of OpenWindow, kept by the fixture, once the keyboard's arrival has been followed.
    CTavrinDlg& OpenWithKeyboard(const std::vector<std::string>& emulatorOptions = {}, bool shownOnce = true)
    {
        window_ = OpenWindow(emulatorOptions, shownOnce);
        EXPECT_TRUE(PumpUntil([&] { return Present() && window_->Tray()->Icon() == model::kConnectedIcon; }));
        EXPECT_TRUE(window_->EnsureLaidOut()) << "a hidden window has no looks until asked";
        WaitForKeyboardWork();  // the lighting, read once laid out
        return *window_;
    }
    bool Present() const { return window_->Keyboard()->Presence()->LastPresence() != 0; }
    // The keyboard's memory as the emulator's dump gives it (without its log of brackets, which
    // every read adds to), once the window's keyboard work is done.
    std::string Dump() const
    {
        WaitForKeyboardWork();
        return emulator_.MemoryDump();
    }
    // The window's keyboard worker has run everything queued, and the window has taken what it read.
    void WaitForKeyboardWork() const
    {
        if (!window_)
            return;
        EXPECT_TRUE(PumpUntil([&] { return window_->KeyboardIdle(); }));
        QCoreApplication::processEvents();
    }

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
        options.openUrl = [this](const QUrl& url) { opened_.push_back(url.toString().toStdString()); };
        options.logindBus = logindBus_;
        options.keyboardRefused = keyboardRefused_;
        options.keyboard = profiles::KeyboardContext::Bind(testing::BinaryFolder(), messages_, failure);
        EXPECT_TRUE(options.keyboard) << failure;
        auto window = std::make_unique<CTavrinDlg>(app_, std::move(options));
        EXPECT_TRUE(window->Initialise());
        EXPECT_TRUE(PumpUntil([&] { return window->WindowReady(); }));
        return window;
    }

    // Runs `act` once the profile dialog is up: the window reads the keyboard before it opens it,
    // waiting in a loop of its own meanwhile.
    void WhenProfileDialogShows(std::function<void()> act)
    {
        auto* poll = new QTimer();
        QObject::connect(poll, &QTimer::timeout, [this, poll, act = std::move(act)] {
            if (!window_->ProfileDialog() || !window_->ProfileDialog()->isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            act();
        });
        poll->start(5);
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
    std::unique_ptr<CTavrinDlg> window_;
    std::vector<std::string> opened_;  // the help pages and links the window opened
    // Where the window hears logind; the system bus when none is set.
    std::optional<QDBusConnection> logindBus_;
    // Whether the keyboard refuses this user, as the "no keyboard" message asks; the system when empty.
    std::function<bool()> keyboardRefused_;
};

}  // namespace tavrin::app
