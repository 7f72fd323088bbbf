#include "cli/keyboard_connection.h"

#include <sys/stat.h>

#include <cstdlib>
#include <thread>

#include "device/device_identity.h"
#include "device/result_codes.h"
#include "platform/tolvex_binding.h"

namespace tavrin::cli {

KeyboardConnection::~KeyboardConnection()
{
    if (session_) {
        // Joins the library's threads, so that none is inside our callback while we go away.
        session_->Service().End();
        device::InstallNotificationTargets(nullptr, nullptr);
    }
}

namespace {

// With the emulator chosen, a socket that is not there is said at once instead of waiting for a
// keyboard that cannot come.
std::string EmulatorSocketProblem()
{
    const char* socket = std::getenv("TOLVEX_EMULATOR");
    if (!socket || !*socket)
        return {};
    struct stat status { };
    if (::stat(socket, &status) != 0)
        return std::string("the keyboard emulator's socket ") + socket + " does not exist (TOLVEX_EMULATOR)";
    if (!S_ISSOCK(status.st_mode))
        return std::string("TOLVEX_EMULATOR names ") + socket + ", which is not a socket";
    return {};
}

}  // namespace

std::string KeyboardConnection::Open(const std::string& libraryFolder, std::chrono::milliseconds wait)
{
    if (std::string problem = EmulatorSocketProblem(); !problem.empty())
        return problem;
    platform::TolvexBinding binding = platform::BindTolvexLibrary(libraryFolder);
    switch (binding.result) {
    case platform::BindResult::Bound:
        break;
    case platform::BindResult::MissingLibrary:
        return "cannot load " + binding.detail;
    case platform::BindResult::MissingExport:
        return "libTolvex.so lacks " + binding.detail;
    case platform::BindResult::InitFailed:
        return "the keyboard service did not start";
    }
    session_
        = std::make_unique<device::DeviceSession>(std::move(binding.service), std::make_unique<device::SystemTimer>());
    session_->RegisterDeviceReads(*this);
    activeProfile_ = std::make_unique<profiles::ActiveProfile>(session_->Commands());
    download_ = std::make_unique<profiles::MacroDownload>(session_->Commands(), *activeProfile_, defaults_, messages_);
    transfer_ = std::make_unique<profiles::ProfileTransfer>(
        session_->Commands(), *activeProfile_, defaults_, *download_, messages_);
    // The library finds keyboards on its own threads; give it a moment after starting.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (session_->KeyboardCount() <= 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return "no keyboard is connected";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

std::string KeyboardConnection::ReadArrivalState()
{
    const device::ReplyCount before = session_->Link().CountReplies();
    const int infoResult = session_->Commands().ReadDeviceInfo(info_);
    if (infoResult != device::kDeviceOk)
        return "reading the keyboard's identity failed: " + device::DeviceResultText(infoResult);
    download_->SetCapacity(device::MacroCapacityOf(info_));
    model::KeyBlockBytes defaults{};
    const int mapResult = session_->Commands().ReadBaseKeyMap(defaults);
    if (mapResult != device::kDeviceOk)
        return "reading the keyboard's default key map failed: " + device::DeviceResultText(mapResult);
    // Everything written later is encoded against this map: it must be the keyboard's own.
    if (!session_->Link().RepliesCameInTurn(before))
        return "the keyboard answered out of turn while its identity and default key map were read";
    defaults_.Replace(defaults);
    return {};
}

}  // namespace tavrin::cli
