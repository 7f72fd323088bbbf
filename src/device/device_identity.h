// What the keyboard's identity block says about it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/device_memory.h"

namespace tavrin::device {

using DeviceInfo = std::span<const std::uint8_t, kDeviceInfoSize>;

// The macro memory in bytes: 128 × byte 11.
std::uint32_t MacroCapacityOf(DeviceInfo info);
// The lighting effects offered: the non-zero bytes of offsets 12-34, in order.
std::vector<std::uint8_t> OfferedModesOf(DeviceInfo info);

// A device result code in words, for messages.
std::string DeviceResultText(int result);

}  // namespace tavrin::device
