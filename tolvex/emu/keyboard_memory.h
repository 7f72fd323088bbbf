// Everything the keyboard keeps in its flash memory.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "device/device_memory.h"

namespace tolvex::emu {

using tavrin::device::kColourSlotCount;
using tavrin::device::kColourSlotSize;
using tavrin::device::kDeviceInfoSize;
using tavrin::device::kKeyBlockSize;
using tavrin::device::kProfileCount;
using tavrin::device::kSettingsAreaSize;

inline constexpr std::uint8_t kDefaultMacroUnits = 0x80;  // 16384 bytes
inline constexpr std::uint16_t kFirmwareVersion = 0x0103;
inline constexpr std::uint8_t kBankStatusReportId = 0x05;

struct KeyboardMemory {
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    std::array<std::uint8_t, kSettingsAreaSize> settings{};
    std::array<std::array<std::uint8_t, kKeyBlockSize>, kProfileCount> keymaps{};
    std::array<std::uint8_t, kKeyBlockSize> baseKeymap{};
    std::vector<std::uint8_t> macros;  // macro units × 128 bytes
    std::array<std::array<std::uint8_t, kColourSlotSize>, kColourSlotCount> colours{};
    std::array<std::uint8_t, 2> bankStatus{};

    bool operator==(const KeyboardMemory&) const = default;
};

// The memory of a keyboard fresh from the factory.
KeyboardMemory FactoryMemory();

// Sets the macro capacity (resizing the macro area, keeping what fits) and the offered modes.
void SetMacroUnits(KeyboardMemory& memory, std::uint8_t units);
// At most 23 mode numbers; the rest of the list is cleared.
void SetOfferedModes(KeyboardMemory& memory, std::span<const std::uint8_t> modes);

}  // namespace tolvex::emu
