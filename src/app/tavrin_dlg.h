// The main window: the program's only top-level window and the owner of its event loop. A skinned
// dialog over the keyboard context that follows the keyboard as it comes and goes, answers the
// private messages, timers and commands, and lives in the tray while hidden. Start-up's
// machine-wide duties (command line, single instance, background program) happen before it, in
// start_up. The commands are in tavrin_dlg_commands.cpp, what the keyboard reports in
// tavrin_dlg_keyboard.cpp.
#pragma once

#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/busy_run.h"
#include "app/key_editor.h"
#include "app/lighting_panel.h"
#include "app/profile_dialog.h"
#include "app/queued_lighting_traffic.h"
#include "app/session_events.h"
#include "lighting/lighting_editor.h"
#include "model/tray_icon_state.h"
#include "platform/clock_change_watch.h"
#include "platform/named_events.h"
#include "profiles/keyboard_context.h"
#include "profiles/keyboard_worker.h"
#include "profiles/profile_manager.h"
#include "ui/base_dialog.h"
#include "ui/main_window_skin.h"
#include "ui/message_box_messages.h"
#include "ui/tray_icon.h"
#include "ui/window_thread.h"
#include "ui/window_thread_messages.h"

class QSocketNotifier;

namespace tavrin::app {

class CTavrinApp;

inline constexpr const char* kKeyEventPrefix = "Tavrin_Event_";
inline constexpr int kKeyEventCount = 208;
// The switch button's label in each key-click mode.
inline constexpr const char* kSwitchToColourKeys = "Switch to the color keys mode";
inline constexpr const char* kSwitchToFunctionKeys = "Switch to the function keys mode";
// The window's menu.
inline constexpr int kCommandRestore = 32776;
inline constexpr int kCommandBackup = 32777;

// What the window is given: start-up's findings, and the seams a test may fill in.
struct WindowOptions {
    bool shownOnce = false;     // "/Start", or set later when no keyboard is there at start-up
    std::string runtimeFolder;  // where the session's names come from
    // The questions and messages; message boxes over the window when none is given. Used on the
    // window's thread only.
    model::UserMessages* messages = nullptr;
    // The keyboard; the service library beside the program is bound at initialisation when none.
    std::unique_ptr<profiles::KeyboardContext> keyboard;
    // What start-up took (the instance channel and lock) is let go during the shutdown.
    std::function<void()> releaseStartUp;
    // Opens a help page or link; the desktop's handler when none is given.
    std::function<void(const QUrl&)> openUrl;
    // Whether a plugged-in keyboard refuses this user, asked when the "no keyboard" message is
    // shown; the system's hidraw nodes when none is given.
    std::function<bool()> keyboardRefused;
    // Where logind's session and sleep signals come from; the system bus when none is given.
    std::optional<QDBusConnection> logindBus;
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
    // A command of a control, a menu or the tray, as a click gives it.
    void OnCommand(int command);

    // Hides the window, releases what start-up took and ends the loop.
    void CloseDown();

    bool WindowReady() const { return windowReady_.load(); }
    bool ShownOnce() const { return shownOnce_.load(); }
    bool SettingsModified() const { return settingsModified_; }
    // Marks the working copy edited: Apply goes on.
    void SetSettingsModified(bool modified);
    bool KeySelectMode() const { return keySelectMode_; }

    // Lays the window out from its skin unless it is already; false when the skin's pictures are
    // missing (the program then ends). The window lays itself out when first shown and lets its
    // looks go again when hidden.
    bool EnsureLaidOut();
    // The window's controls while it is laid out; null before and after.
    ui::MainWindowSkin* Skin() const { return skin_.get(); }
    ui::CTrayIcon* Tray() const { return tray_.get(); }
    profiles::KeyboardContext* Keyboard() const { return keyboard_.get(); }
    // The session's lock, console and sleep signals; none before initialisation.
    const SessionEvents* Session() const { return sessionEvents_; }
    const QMenu& ProfileMenu() const { return profileMenu_; }
    QMenu& WindowMenu() { return windowMenu_; }
    const BusyRun* Busy() const { return busy_.get(); }
    // Whether no keyboard work is queued or running (for tests, which wait for it).
    bool KeyboardIdle() const { return !keyboardWorker_ || keyboardWorker_->Idle(); }
    // The profile dialog while it is open.
    CTavrin_DlgProfile* ProfileDialog() const { return profileDialog_; }
    CTavrin_DlgComposite* KeyEditor() const { return keyEditor_; }
    // The lighting of the profile the keyboard runs, and its panel while the window is laid out.
    lighting::LightingEditor* Lighting() const { return lighting_.get(); }
    LightingPanel* LightingControls() const { return lightingPanel_.get(); }
    // A key button, G button, Fn or the macro button: the key editor, or the colour-key toggle.
    void KeyButtonClicked(int controlId);

    // Apply: the working copy's edits to the working file and the keyboard's active profile.
    void Apply();

signals:
    // The keyboard went: every child window closes.
    void ChildWindowsClosing();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    bool OnInitDialog();
    // Shows the window's state in freshly laid-out controls.
    void ShowState();
    // Hides the window; its looks are let go soon after.
    void HideWindow();
    void ReleaseLooks();
    void ConnectControls();
    void OnOpen();
    void OnInit();
    void OnLanguage(int languageIndex);
    void WatchStopSignals();
    void WatchClockChanges();
    void FollowSessionEvents();
    QIcon IconOf(int icon) const;

    // Commands (tavrin_dlg_commands.cpp).
    void OnOk();
    void OnHelp();
    void OnLink();
    void OnMenu();
    void OnProfileDialog();
    void OpenKeyEditor(int controlId, int profile, std::size_t record);
    std::string ApplyProfileDialog(std::optional<int> active);
    void OnProfileButton(int profile);
    void OnDefault();
    void OnSwitchMode();
    void OnFlip();
    void OnAbout();
    void OnRestore();
    void OnBackup();
    void ApplyFlip(bool flipped);
    void ShowColourKeys();
    void BuildWindowMenu();
    void FillLanguageMenu(QMenu& menu);
    void ChooseLanguage(int languageIndex);

    // The keyboard (tavrin_dlg_keyboard.cpp).
    void StartFollowingKeyboard();
    void OnConsumerCode(std::uint16_t code);
    void OnKeyboardArrived();
    void OnKeyboardRemoved();
    void OnPresenceChanged(std::uint32_t presence);
    void OnProfileReload();
    void OnDeviceRemoved();
    void OnGKeyBank();
    void OnTimer(int timer);
    void StartOneShot(int timer);
    void ReloadFromKeyboard(bool keepApply);
    void RefreshKeyButtons();
    void MarkProfileButton(int profile);
    void BuildProfileMenu();
    void SetTrayState(bool playing, int icon);
    void Reread();
    // Reads the keyboard's lighting again (with the per-key colours: at a profile switch or an
    // arrival) and redraws the panel.
    void ReloadLighting(bool withKeyColours, bool rebuildMarks = false);
    profiles::ProfileWindows SwitchWindows();
    // Runs `call` now, or once a running Apply has finished when one runs.
    void WhenIdle(std::function<void()> call);
    // Keyboard work with the busy animation; what waited for it runs afterwards.
    void RunBusy(const std::function<void()>& work);
    // What the keyboard's download had to say (its macros do not fit, or not with their names).
    void ShowDownloadMessages(const profiles::DownloadResult& download);
    // Which profile the keyboard runs, read on the keyboard worker while the window waits.
    int ReadActiveProfile();
    // Runs what is queued for the keyboard and stops its worker; before the keyboard stops.
    void StopKeyboardWorker();

    // tavrinctl's notice that it changed the keyboard (tavrin_dlg_notices.cpp).
    void OnKeyboardChangedNotice(std::uint32_t changes);
    void FollowKeyboardChanges(std::uint32_t changes);

    CTavrinApp& app_;
    WindowOptions options_;
    bool settingsModified_ = false;
    bool keySelectMode_ = false;
    bool closed_ = false;
    std::atomic<bool> windowReady_{false};
    std::atomic<bool> shownOnce_{false};

    platform::NamedEvents keyEvents_;
    ui::MessageBoxMessages boxes_{this};
    model::UserMessages& messages_;  // on the window's thread
    ui::WindowThread windowThread_{*this};
    ui::WindowThreadMessages threadMessages_{messages_, windowThread_};  // from any thread
    std::unique_ptr<profiles::KeyboardContext> keyboard_;
    // Every keyboard exchange of the window, one at a time and never on the window's thread.
    std::unique_ptr<profiles::KeyboardWorker> keyboardWorker_;
    std::unique_ptr<QueuedLightingTraffic> lightingTraffic_;
    std::unique_ptr<profiles::ProfileManager> profiles_;
    QSocketNotifier* stopNotifier_ = nullptr;
    platform::ClockChangeWatch clockWatch_;
    QSocketNotifier* clockNotifier_ = nullptr;
    SessionEvents* sessionEvents_ = nullptr;
    std::unique_ptr<ui::MainWindowSkin> skin_;
    std::unique_ptr<BusyRun> busy_ = std::make_unique<BusyRun>();
    std::unique_ptr<ui::CTrayIcon> tray_;
    model::TrayIconState trayState_;
    std::map<int, QTimer*> oneShots_;
    std::vector<std::function<void()>> afterBusy_;
    QPointer<CTavrin_DlgProfile> profileDialog_;
    QPointer<CTavrin_DlgComposite> keyEditor_;
    std::unique_ptr<lighting::LightingEditor> lighting_;
    std::unique_ptr<LightingPanel> lightingPanel_;
    bool lightingStale_ = true;        // the keyboard's lighting is to be read when the panel comes
    bool lightingMarksStale_ = false;  // and the per-key marks rebuilt (a keyboard arrived meanwhile)
    struct {
        std::uint32_t changes = 0;  // what tavrinctl's notices said, not yet followed
        bool scheduled = false;     // a follow-up is queued or running
    } notices_;
    QMenu profileMenu_;
    QMenu windowMenu_;
    QEventLoop loop_;
};

}  // namespace tavrin::app
