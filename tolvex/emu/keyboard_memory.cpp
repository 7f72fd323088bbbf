#include "keyboard_memory.h"

#include <algorithm>

#include "lighting/lighting_defaults.h"
#include "model/default_key_block.h"
#include "tolvex/tolvex.h"

namespace tolvex::emu {

using tavrin::device::kDeviceInfoMacroUnitsOffset;
using tavrin::device::kDeviceInfoModeSlots;
using tavrin::device::kDeviceInfoModesOffset;
using tavrin::device::kMacroUnitBytes;
using tavrin::device::kSettingsRecordSize;

KeyboardMemory FactoryMemory()
{
    KeyboardMemory memory;
    // Identity: vendor and product, firmware version, key, G-key, profile and LED counts; the
    // macro capacity and the offered modes follow at 11 and 12.
    memory.info[0] = static_cast<std::uint8_t>(TOLVEX_VENDOR_ID);
    memory.info[1] = static_cast<std::uint8_t>(TOLVEX_VENDOR_ID >> 8);
    memory.info[2] = static_cast<std::uint8_t>(TOLVEX_PRODUCT_ID);
    memory.info[3] = static_cast<std::uint8_t>(TOLVEX_PRODUCT_ID >> 8);
    memory.info[4] = static_cast<std::uint8_t>(kFirmwareVersion);
    memory.info[5] = static_cast<std::uint8_t>(kFirmwareVersion >> 8);
    memory.info[6] = 104;
    memory.info[7] = 9;
    memory.info[8] = static_cast<std::uint8_t>(kProfileCount);
    memory.info[9] = static_cast<std::uint8_t>(tavrin::device::kLedCount);
    std::vector<std::uint8_t> allModes(19);
    for (std::uint8_t mode = 1; mode <= 19; ++mode)
        allModes[mode - 1] = mode;
    SetOfferedModes(memory, allModes);
    SetMacroUnits(memory, kDefaultMacroUnits);

    const auto& record = tavrin::lighting::DefaultLightingRecord();
    for (std::size_t profile = 0; profile < kProfileCount; ++profile)
        std::copy(record.begin(), record.end(),
            memory.settings.begin()
                + static_cast<std::ptrdiff_t>(profile * kSettingsRecordSize + tavrin::lighting::kDefaultRecordOffset));
    memory.settings[tavrin::device::kActiveProfileAddress] = 0;

    const auto& keyBlock = tavrin::model::BuiltInDefaultKeyBlock();
    for (auto& bank : memory.keymaps)
        std::copy(keyBlock.begin(), keyBlock.end(), bank.begin());
    std::copy(keyBlock.begin(), keyBlock.end(), memory.baseKeymap.begin());

    const auto& colours = tavrin::lighting::DefaultKeyColours();
    for (auto& slot : memory.colours)
        std::copy(colours.begin(), colours.end(), slot.begin());

    memory.bankStatus = {kBankStatusReportId, 0x02};
    return memory;
}

void SetMacroUnits(KeyboardMemory& memory, std::uint8_t units)
{
    memory.info[kDeviceInfoMacroUnitsOffset] = units;
    memory.macros.resize(std::size_t{units} * kMacroUnitBytes, 0);
}

void SetOfferedModes(KeyboardMemory& memory, std::span<const std::uint8_t> modes)
{
    auto list = memory.info.begin() + kDeviceInfoModesOffset;
    std::fill_n(list, kDeviceInfoModeSlots, 0);
    std::copy_n(modes.begin(), std::min(modes.size(), kDeviceInfoModeSlots), list);
}

}  // namespace tolvex::emu
