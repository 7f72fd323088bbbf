// The program's device link bound to the real libTolvex.so and pointed at a running tolvex-emu,
// with control replies routed to it: what end-to-end tests and benchmarks of the link start from.
#pragma once

#include <memory>
#include <string>

#include "device/device_commands.h"
#include "platform/tolvex_binding.h"
#include "support/emulator_process.h"

namespace tavrin::testing {

class AttachedLink {
public:
    AttachedLink() = default;
    ~AttachedLink();
    AttachedLink(const AttachedLink&) = delete;
    AttachedLink& operator=(const AttachedLink&) = delete;

    // Starts the emulator with these options, binds the library against it and registers the
    // reply route; empty on success, else what failed.
    std::string Attach(const std::vector<std::string>& emulatorOptions = {});

    EmulatorProcess& Emulator() { return emulator_; }
    device::DeviceService& Service() { return *binding_.service; }
    device::DeviceLink& Link() { return *link_; }
    device::DeviceCommands& Commands() { return *commands_; }

private:
    EmulatorProcess emulator_;
    platform::TolvexBinding binding_;
    device::SystemTimer timer_;
    std::unique_ptr<device::DeviceLink> link_;
    std::unique_ptr<device::DeviceCommands> commands_;
};

}  // namespace tavrin::testing
