// The main window: the program's only top-level window and the owner of its event loop. A skinned
// dialog that binds the keyboard, lays itself out from the main skin file, answers the private
// messages and shuts down. Start-up's machine-wide duties (command line, single instance,
// background program) happen before it, in start_up.
#pragma once

#include <QEventLoop>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>

#include "platform/named_events.h"
#include "profiles/keyboard_context.h"
#include "ui/base_dialog.h"
#include "ui/main_window_skin.h"
#include "ui/message_box_messages.h"

class QSocketNotifier;

namespace tavrin::app {

class CTavrinApp;

inline constexpr const char* kKeyEventPrefix = "Tavrin_Event_";
inline constexpr int kKeyEventCount = 208;
// The switch button's label while key clicks open the assignment editor.
inline constexpr const char* kSwitchToColourKeys = "Switch to the color keys mode";

// What the window is given: start-up's findings, and the seams a test may fill in.
struct WindowOptions {
    bool shownOnce = false;     // "/Start", or set later when no keyboard is there at start-up
    std::string runtimeFolder;  // where the session's names come from
    // The questions and messages; message boxes over the window when none is given.
    model::UserMessages* messages = nullptr;
    // The keyboard; the service library beside the program is bound at initialisation when none.
    std::unique_ptr<profiles::KeyboardContext> keyboard;
    // What start-up took (the instance channel and lock) is let go during the shutdown.
    std::function<void()> releaseStartUp;
};

class CTavrinDlg : public ui::CBaseDialog {
    Q_OBJECT
public:
    CTavrinDlg(CTavrinApp& app, WindowOptions options);
    ~CTavrinDlg() override;

    // Initialises the window and runs its loop until the shutdown sequence ends it. Returns the
    // exit code (0 also for a silent end of start-up).
    int RunModal();
    // The initialisation alone, for tests that pump events themselves: binds the library (unless a
    // keyboard context was given), follows the keyboard, lays the window out and queues MSG_INIT.
    // False when start-up must end silently.
    bool Initialise() { return OnInitDialog(); }

    // A private message, handled on the window's thread; always answers 0.
    std::uint32_t HandleMessage(std::uint32_t number, std::uint32_t wParam, std::uint32_t lParam);
    // Queues a private message to the window, from any thread.
    void PostMessageToSelf(std::uint32_t number, std::uint32_t wParam, std::uint32_t lParam = 0);

    // Hides the window, releases what start-up took and ends the loop.
    void CloseDown();

    bool WindowReady() const { return windowReady_.load(); }
    bool ShownOnce() const { return shownOnce_.load(); }

    // The window's controls, once the window has laid itself out; null before.
    ui::MainWindowSkin* Skin() const { return skin_.get(); }

private:
    bool OnInitDialog();
    bool LayOutFromSkin();
    void OnOpen();
    void OnInit();
    void OnLanguage(int languageIndex);
    void WatchStopSignals();

    // A code the keyboard sent on its own, on the library's thread.
    void OnConsumerCode(std::uint16_t code);

    CTavrinApp& app_;
    WindowOptions options_;
    bool settingsModified_ = false;
    bool closed_ = false;
    std::atomic<bool> windowReady_{false};
    std::atomic<bool> shownOnce_{false};

    platform::NamedEvents keyEvents_;
    ui::MessageBoxMessages boxes_{this};
    model::UserMessages& messages_;
    std::unique_ptr<profiles::KeyboardContext> keyboard_;
    QSocketNotifier* stopNotifier_ = nullptr;
    std::unique_ptr<ui::MainWindowSkin> skin_;
    QEventLoop loop_;
};

}  // namespace tavrin::app
