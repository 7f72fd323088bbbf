// The main window: the program's only top-level window and the owner of its event loop. A skinned
// dialog that starts the program up, lays itself out from the main skin file, answers the private
// messages and shuts down.
#pragma once

#include <QEventLoop>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <memory>

#include "app/instance_channel.h"
#include "platform/instance_lock.h"
#include "platform/named_events.h"
#include "profiles/keyboard_context.h"
#include "ui/base_dialog.h"
#include "ui/main_window_skin.h"
#include "ui/message_box_messages.h"

class QMessageBox;
class QSocketNotifier;

namespace tavrin::app {

class CTavrinApp;

inline constexpr const char* kInstanceMutexName = "Tavrin_Mutex_R2T";
inline constexpr const char* kKeyEventPrefix = "Tavrin_Event_";
inline constexpr int kKeyEventCount = 208;
// The switch button's label while key clicks open the assignment editor.
inline constexpr const char* kSwitchToColourKeys = "Switch to the color keys mode";

class CTavrinDlg : public ui::CBaseDialog {
    Q_OBJECT
public:
    // The command line, the single-instance check and the background program. A second instance
    // (or "/Kill" reaching a running one) asks for the process to end here.
    CTavrinDlg(CTavrinApp& app, const QStringList& arguments);
    ~CTavrinDlg() override;

    bool EndProcessRequested() const { return endProcess_; }
    // Initialises the window and runs its loop until the shutdown sequence ends it. Returns the
    // exit code (0 also for a silent end of start-up).
    int RunModal();

    // A private message, handled on the window's thread; always answers 0.
    std::uint32_t HandleMessage(std::uint32_t number, std::uint32_t wParam, std::uint32_t lParam);
    // Queues a private message to the window, from any thread.
    void PostMessageToSelf(std::uint32_t number, std::uint32_t wParam, std::uint32_t lParam = 0);

    // Hides the window, releases what start-up took and ends the loop.
    void CloseDown();

    bool WindowReady() const { return windowReady_.load(); }
    bool ShownOnce() const { return shownOnce_.load(); }

    // The window's controls by control identifier, once the window has laid itself out; null
    // before, and for an identifier the window does not own.
    QWidget* Control(int id) const { return skin_ ? skin_->Control(id) : nullptr; }
    ui::MainWindowSkin* Skin() const { return skin_.get(); }

private:
    bool OnInitDialog();
    bool LayOutFromSkin();
    void ScanCommandLine(const QStringList& arguments);
    void ClaimSingleInstance();
    void OnOpen();
    void OnInit();
    void OnLanguage(int languageIndex);
    void WatchStopSignals();

    // A code the keyboard sent on its own, on the library's thread.
    void OnConsumerCode(std::uint16_t code);

    CTavrinApp& app_;
    std::string runtimeFolder_;  // empty when no private one exists
    std::optional<platform::InstanceAddress> instanceAddress_;
    bool endProcess_ = false;
    bool settingsModified_ = false;
    bool closed_ = false;
    std::atomic<bool> windowReady_{false};
    std::atomic<bool> shownOnce_{false};

    platform::InstanceLock instanceLock_;
    InstanceServer instanceServer_;
    platform::NamedEvents keyEvents_;
    ui::MessageBoxMessages messages_{this};
    std::unique_ptr<profiles::KeyboardContext> keyboard_;
    QPointer<QMessageBox> noKeyboardBox_;
    QSocketNotifier* stopNotifier_ = nullptr;
    std::unique_ptr<ui::MainWindowSkin> skin_;
    QEventLoop loop_;
};

}  // namespace tavrin::app
