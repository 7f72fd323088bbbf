#include "support/attached_link.h"

#include <cstdlib>

#include "device/notification_dispatch.h"

namespace tavrin::testing {

std::string AttachedLink::Attach(const std::vector<std::string>& emulatorOptions)
{
    if (!emulator_.Start(emulatorOptions))
        return "tolvex-emu did not start";
    ::setenv("TOLVEX_EMULATOR", emulator_.SocketPath().c_str(), 1);
    binding_ = platform::BindTolvexLibrary(BinaryFolder());
    if (binding_.result != platform::BindResult::Bound)
        return "libTolvex.so did not bind: " + binding_.detail;
    link_ = std::make_unique<device::DeviceLink>(*binding_.service, timer_);
    commands_ = std::make_unique<device::DeviceCommands>(*link_);
    // The program's own callback carries the replies, as it does at start-up.
    device::InstallNotificationTargets(link_.get(), nullptr);
    const InterfaceSelector control = device::ControlInterface();
    std::uint32_t handle = 0;
    binding_.service->RequestAsyncRead(&control, device::NotificationCallback, TOLVEX_TAG_CONTROL,
        TolvexRequestKey(&control, device::NotificationCallback, TOLVEX_TAG_CONTROL, nullptr, 0), &handle);
    return {};
}

AttachedLink::~AttachedLink()
{
    if (binding_.service)
        binding_.service->End();
    device::InstallNotificationTargets(nullptr, nullptr);
    ::unsetenv("TOLVEX_EMULATOR");
}

}  // namespace tavrin::testing
