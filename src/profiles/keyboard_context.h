// Everything that talks to the keyboard, in one place: the bound service library and its session,
// the active profile, the keyboard's default key map and identity block (its macro capacity), the
// macro download, the profile transfer and the handling of its presence. The program's window and
// tavrinctl both work through one of these; neither wires the device itself.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "device/device_memory.h"
#include "device/device_session.h"
#include "model/default_key_block.h"
#include "model/user_messages.h"
#include "profiles/active_profile.h"
#include "profiles/keyboard_presence.h"
#include "profiles/macro_download.h"
#include "profiles/profile_transfer.h"

namespace tavrin::profiles {

using IdentityBlock = std::array<std::uint8_t, device::kDeviceInfoSize>;

// What an arrival's reads gave: each part is taken only when it was read, in turn.
struct ArrivalState {
    int identity = device::kDeviceOk;    // the identity block's read
    int defaultMap = device::kDeviceOk;  // the default key map's read
    bool inTurn = true;                  // no answer came out of turn meanwhile
    bool IdentityTaken() const { return identity == device::kDeviceOk && inTurn; }
    bool DefaultMapTaken() const { return defaultMap == device::kDeviceOk && inTurn; }
    // Empty when both were taken, else what failed.
    std::string Describe() const;
};

class KeyboardContext final : private device::DeviceEventSink {
public:
    // Over any service: the library bound by Bind, or a test's fake.
    KeyboardContext(std::unique_ptr<device::DeviceService> service, std::unique_ptr<device::TransactionTimer> timer,
        model::UserMessages& messages);
    ~KeyboardContext() override { Stop(); }
    KeyboardContext(const KeyboardContext&) = delete;
    KeyboardContext& operator=(const KeyboardContext&) = delete;

    // Binds libTolvex.so from `libraryFolder` (or the emulator, with TOLVEX_EMULATOR set) with the
    // system timer. Nothing when it cannot be bound, with the reason in `failure`.
    static std::unique_ptr<KeyboardContext> Bind(
        const std::string& libraryFolder, model::UserMessages& messages, std::string& failure);

    // Registers the reads through which replies and the keyboard's own notifications arrive.
    // Presence notifications go to the presence handling once it is started; the keyboard's codes
    // go to `consumerCodes` (on the library's thread; it must not block).
    void RegisterDeviceReads(std::function<void(std::uint16_t)> consumerCodes = {});
    // Starts following the keyboard's presence with the window's hooks; the first worker gets the
    // keyboard count now.
    void StartPresence(KeyboardPresence::Window window, std::atomic<bool>& shownOnce);
    // The number of keyboards on the control interface.
    int KeyboardCount();
    // Waits up to `wait` for a keyboard; false when none came.
    bool WaitForKeyboard(std::chrono::milliseconds wait);

    // Detaches the library's callback (waiting for calls in flight) and ends the presence workers:
    // nothing the library does reaches this context any more. The shutdown's first step.
    void Stop();

    // What every arrival reads: the identity block (the macro capacity follows from it) and the
    // keyboard's own default key map. A part that fails keeps its previous value.
    ArrivalState ReadArrival();
    // The same, empty on success, else what failed.
    std::string ReadArrivalState() { return ReadArrival().Describe(); }

    // Where the context's messages go from now on (the window's, which any thread may use).
    void RouteMessagesTo(model::UserMessages& messages) { relay_.target = &messages; }

    device::DeviceSession& Session() { return *session_; }
    device::DeviceCommands& Commands() { return session_->Commands(); }
    ActiveProfile& Active() { return active_; }
    model::DefaultKeyBlock& Defaults() { return defaults_; }
    MacroDownload& Download() { return download_; }
    ProfileTransfer& Transfer() { return transfer_; }
    KeyboardPresence* Presence() { return presence_.get(); }
    const IdentityBlock& Identity() const { return identity_; }

private:
    void OnPresenceNotification(std::uint32_t presence) override;
    void OnConsumerCode(std::uint16_t code) override;

    // Hands every message on to the current target.
    struct MessagesRelay final : model::UserMessages {
        std::atomic<model::UserMessages*> target;
        void ShowMessage(const std::string& text) override { target.load()->ShowMessage(text); }
        void Notify(const std::string& text) override { target.load()->Notify(text); }
        model::Answer Ask(const std::string& text) override { return target.load()->Ask(text); }
        std::optional<std::string> ChooseFileToOpen(const model::FileChoice& choice) override
        {
            return target.load()->ChooseFileToOpen(choice);
        }
        std::optional<std::string> ChooseFileToSave(const model::FileChoice& choice) override
        {
            return target.load()->ChooseFileToSave(choice);
        }
        std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override
        {
            return target.load()->ChooseColour(initial);
        }
    };

    MessagesRelay relay_;
    std::unique_ptr<device::DeviceSession> session_;
    ActiveProfile active_;
    model::DefaultKeyBlock defaults_;
    MacroDownload download_;
    ProfileTransfer transfer_;
    IdentityBlock identity_{};
    std::function<void(std::uint16_t)> consumerCodes_;
    std::unique_ptr<KeyboardPresence> presence_;
    std::atomic<bool> presenceStarted_{false};
};

}  // namespace tavrin::profiles
