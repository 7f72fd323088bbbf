// The program's keyboard context bound to the real libTolvex.so and pointed at a running tolvex-emu:
// what end-to-end tests and benchmarks of the link start from.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "profiles/keyboard_context.h"
#include "support/emulator_process.h"
#include "support/recorded_messages.h"

namespace tavrin::testing {

class AttachedLink {
public:
    AttachedLink() = default;
    ~AttachedLink();
    AttachedLink(const AttachedLink&) = delete;
    AttachedLink& operator=(const AttachedLink&) = delete;

    // Starts the emulator with these options, binds the library against it and registers the
    // program's reads; empty on success, else what failed.
    std::string Attach(const std::vector<std::string>& emulatorOptions = {});

    EmulatorProcess& Emulator() { return emulator_; }
    profiles::KeyboardContext& Keyboard() { return *keyboard_; }
    device::DeviceLink& Link() { return keyboard_->Session().Link(); }
    device::DeviceCommands& Commands() { return keyboard_->Commands(); }

private:
    EmulatorProcess emulator_;
    RecordedMessages messages_;
    std::unique_ptr<profiles::KeyboardContext> keyboard_;
};

}  // namespace tavrin::testing
