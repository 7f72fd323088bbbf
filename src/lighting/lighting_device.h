// Lighting traffic with the keyboard: sending what a control change wrote, sending per-key colours,
// and reading the lighting (the offered effects, the three lighting records and the per-key colours
// of all four slots). Every call returns a device result code: the first step that failed, after
// closing any write bracket it opened.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "device/device_commands.h"
#include "device/result_codes.h"
#include "lighting/key_colours.h"
#include "lighting/lighting_controls.h"
#include "lighting/lighting_modes.h"

namespace tavrin::lighting {

using SettingsBytes = std::array<std::uint8_t, device::kSettingsAreaSize>;

// Which part of a lighting exchange failed, for the user.
struct LightingFailure {
    int code = device::kDeviceOk;
    std::string step;  // "the effect list", "lighting record 2", … empty when nothing failed
    bool Failed() const { return code != device::kDeviceOk; }
    std::string Describe() const;
};

LightingFailure SendSequences(
    device::DeviceCommands& commands, int profile, const std::vector<WriteSequence>& sequences);
// Colour writes between one begin and end, then the settings writes between another.
LightingFailure SendPerKey(device::DeviceCommands& commands, int profile, const PerKeyOutcome& outcome);

// What a read of the keyboard's lighting fills. A part whose read fails keeps what it held.
struct LightingSnapshot {
    ModeList modes{};
    SettingsBytes settings{};
    KeyColours colours;
};

// The identity block's effect list first (emptied before the read: a failed read leaves no effects
// and stops there), then with `withKeyColours` and effect 19 offered the per-key colours of all four
// slots, then the three lighting records, between one begin and end.
LightingFailure ReadLighting(device::DeviceCommands& commands, bool withKeyColours, LightingSnapshot& snapshot);

}  // namespace tavrin::lighting
