// Everything the keyboard keeps in its flash memory, area by area.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tolvex::emu {

inline constexpr std::size_t kProfileSlots = 3;

// The identity block: vendor and product, firmware version, key, G-key, profile and LED counts,
// then the macro capacity and the list of offered lighting modes.
inline constexpr std::size_t kInfoBytes = 46;
inline constexpr std::size_t kInfoMacroUnitsAt = 11;
inline constexpr std::size_t kInfoModesAt = 12;
inline constexpr std::size_t kInfoModeSlots = 23;
static_assert(kInfoModesAt + kInfoModeSlots <= kInfoBytes);

// One lighting record a profile; byte 2 of the area is the active profile.
inline constexpr std::size_t kProfileRecordBytes = 35;
inline constexpr std::size_t kSettingsBytes = kProfileSlots * kProfileRecordBytes;
inline constexpr std::size_t kActiveProfileAt = 2;

// One key map a profile, three bytes a key position, the banks back to back.
inline constexpr std::size_t kKeyMapBytes = 378;
inline constexpr std::size_t kKeyMapsBytes = kProfileSlots * kKeyMapBytes;

inline constexpr std::size_t kBytesPerMacroUnit = 128;

// Four tables of per-key colours back to back.
inline constexpr std::size_t kColourTableBytes = 512;
inline constexpr std::size_t kColourTables = 4;
inline constexpr std::size_t kColoursBytes = kColourTables * kColourTableBytes;

inline constexpr std::uint8_t kBankStatusReportId = 0x05;

struct KeyboardMemory {
    std::array<std::uint8_t, kInfoBytes> info{};
    std::array<std::uint8_t, kSettingsBytes> settings{};
    std::array<std::array<std::uint8_t, kKeyMapBytes>, kProfileSlots> keymaps{};
    std::array<std::uint8_t, kKeyMapBytes> baseKeymap{};
    std::vector<std::uint8_t> macros;  // macro units × 128 bytes
    std::array<std::array<std::uint8_t, kColourTableBytes>, kColourTables> colours{};
    std::array<std::uint8_t, 2> bankStatus{};

    bool operator==(const KeyboardMemory&) const = default;
};

// The memory of a keyboard fresh from the factory: factory_state.json, built into the emulator.
KeyboardMemory FactoryMemory();

// Sets the macro capacity (resizing the macro area, keeping what fits) and the offered modes.
void SetMacroUnits(KeyboardMemory& memory, std::uint8_t units);
// At most 23 mode numbers; the rest of the list is cleared.
void SetOfferedModes(KeyboardMemory& memory, std::span<const std::uint8_t> modes);

}  // namespace tolvex::emu
