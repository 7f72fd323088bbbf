#include "profiles/keyboard_context.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "device/device_identity.h"
#include "device/result_codes.h"
#include "platform/keyboard_lock_file.h"
#include "platform/tolvex_binding.h"
#include "platform/user_folders.h"

namespace tavrin::profiles {

KeyboardContext::KeyboardContext(std::unique_ptr<device::DeviceService> service,
    std::unique_ptr<device::TransactionTimer> timer, model::UserMessages& messages)
    : session_(std::make_unique<device::DeviceSession>(std::move(service), std::move(timer)))
    , active_(session_->Commands())
    , download_(session_->Commands(), active_, defaults_)
    , transfer_(session_->Commands(), active_, defaults_, download_, relay_)
{
    relay_.target = &messages;
    active_.SetUnknown();
}

void KeyboardContext::Stop()
{
    // No call of the callback may reach the presence handling or the session once they go.
    device::InstallNotificationTargets(nullptr, nullptr);
    if (presence_)
        presence_->Stop();
}

std::unique_ptr<KeyboardContext> KeyboardContext::Bind(
    const std::string& libraryFolder, model::UserMessages& messages, std::string& failure)
{
    platform::TolvexBinding binding = platform::BindTolvexLibrary(libraryFolder);
    switch (binding.result) {
    case platform::BindResult::Bound: {
        auto context = std::make_unique<KeyboardContext>(
            std::move(binding.service), std::make_unique<device::SystemTimer>(), messages);
        // Without a private runtime folder there is no safe place for the lock: then only this
        // program's own threads are kept apart.
        const char* emulator = std::getenv("TOLVEX_EMULATOR");
        if (const std::optional<std::string> lock
            = platform::KeyboardLockPath(platform::RuntimeFolder(), emulator ? emulator : ""))
            context->Session().Link().Owner().ShareWithOtherPrograms(
                std::make_unique<platform::KeyboardLockFile>(*lock));
        return context;
    }
    case platform::BindResult::MissingLibrary:
        failure = "cannot load " + binding.detail;
        break;
    case platform::BindResult::MissingExport:
        failure = "libTolvex.so lacks " + binding.detail;
        break;
    case platform::BindResult::InitFailed:
        failure = "the keyboard service did not start";
        break;
    }
    return nullptr;
}

void KeyboardContext::RegisterDeviceReads(std::function<void(std::uint16_t)> consumerCodes)
{
    consumerCodes_ = std::move(consumerCodes);
    session_->RegisterDeviceReads(*this);
}

void KeyboardContext::StartPresence(KeyboardPresence::Window window, std::atomic<bool>& shownOnce)
{
    presence_ = std::make_unique<KeyboardPresence>(std::move(window), shownOnce);
    presenceStarted_ = true;
    presence_->Start(static_cast<std::uint32_t>(std::max(KeyboardCount(), 0)));
}

int KeyboardContext::KeyboardCount()
{
    return session_->KeyboardCount();
}

bool KeyboardContext::WaitForKeyboard(std::chrono::milliseconds wait)
{
    // The library finds keyboards on its own threads; give it a moment after starting.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (KeyboardCount() <= 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string ArrivalState::Describe() const
{
    if (identity != device::kDeviceOk)
        return "reading the keyboard's identity failed: " + device::DeviceResultText(identity);
    if (defaultMap != device::kDeviceOk)
        return "reading the keyboard's default key map failed: " + device::DeviceResultText(defaultMap);
    if (!inTurn)
        return "the keyboard answered out of turn while its identity and default key map were read";
    return {};
}

ArrivalState KeyboardContext::ReadArrival()
{
    ArrivalState state;
    device::KeyboardBracket keyboard(session_->Link().Owner());
    if (!keyboard.Held()) {
        state.identity = state.defaultMap = device::kDeviceBusy;
        return state;
    }
    const device::ReplyCount before = session_->Link().CountReplies();
    IdentityBlock identity{};
    state.identity = Commands().ReadDeviceInfo(identity);
    model::KeyBlockBytes defaults{};
    state.defaultMap = Commands().ReadBaseKeyMap(defaults);
    // Everything written later is encoded against this map: it must be the keyboard's own.
    state.inTurn = session_->Link().RepliesCameInTurn(before);
    if (state.IdentityTaken()) {
        identity_ = identity;
        download_.SetCapacity(device::MacroCapacityOf(identity_));
    }
    if (state.DefaultMapTaken())
        defaults_.Replace(defaults);
    return state;
}

void KeyboardContext::OnPresenceNotification(std::uint32_t presence)
{
    if (presenceStarted_ && presence_)
        presence_->Start(presence);
}

void KeyboardContext::OnConsumerCode(std::uint16_t code)
{
    if (consumerCodes_)
        consumerCodes_(code);
}

}  // namespace tavrin::profiles
