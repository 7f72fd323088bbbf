// The keyboard's command codes and the sizes of its memory areas.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin::device {

enum Command : std::uint8_t {
    CMD_BEGIN = 1,
    CMD_END = 2,
    CMD_READ_INFO = 3,
    CMD_READ_SETTINGS = 5,
    CMD_WRITE_SETTINGS = 6,
    CMD_READ_KEYMAP = 7,
    CMD_WRITE_KEYMAP = 8,
    CMD_READ_MACROS = 9,
    CMD_WRITE_MACROS = 10,
    CMD_READ_BASE_KEYMAP = 15,
    CMD_READ_KEY_COLOURS = 16,
    CMD_WRITE_KEY_COLOURS = 17,
};

inline constexpr std::size_t kDeviceInfoSize = 46;
inline constexpr std::size_t kDeviceInfoMacroUnitsOffset = 11;
inline constexpr std::size_t kDeviceInfoModesOffset = 12;
inline constexpr std::size_t kDeviceInfoModeSlots = 23;
inline constexpr std::size_t kMacroUnitBytes = 128;

inline constexpr std::size_t kProfileCount = 3;
inline constexpr std::size_t kSettingsRecordSize = 35;
inline constexpr std::size_t kSettingsAreaSize = kProfileCount * kSettingsRecordSize;
inline constexpr std::size_t kActiveProfileAddress = 2;

inline constexpr std::size_t kKeyBlockSize = 378;
inline constexpr std::size_t kKeyMapAreaSize = kProfileCount * kKeyBlockSize;

inline constexpr std::size_t kColourSlotSize = 512;
inline constexpr std::size_t kColourSlotCount = 4;
inline constexpr std::size_t kColourAreaSize = kColourSlotSize * kColourSlotCount;
inline constexpr std::size_t kLedCount = 126;

}  // namespace tavrin::device
