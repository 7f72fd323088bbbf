// The emulator keeps its factory memory as data of its own (tolvex/emu/factory_state.json) and its
// own report layout; the program keeps its own default tables and layout. Each is written without
// the other, so that a mistake on one side shows in the end-to-end tests, and this test holds them
// to the same bytes: a change of one byte on either side fails it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "control_report.h"
#include "device/device_memory.h"
#include "device/device_report.h"
#include "keyboard_memory.h"
#include "lighting/lighting_defaults.h"
#include "model/default_key_block.h"

namespace {

namespace device = tavrin::device;
namespace emu = tolvex::emu;
namespace lighting = tavrin::lighting;

std::string Hex(std::uint8_t byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", byte);
    return text;
}

constexpr std::size_t Code(emu::Opcode opcode)
{
    return static_cast<std::size_t>(opcode);
}

template<typename Program, typename Emulator>
::testing::AssertionResult SameBytes(const Program& program, const Emulator& emulator)
{
    if (program.size() != emulator.size())
        return ::testing::AssertionFailure()
            << "the program's table is " << program.size() << " bytes, the emulator's " << emulator.size();
    const auto [ours, theirs] = std::mismatch(program.begin(), program.end(), emulator.begin());
    if (ours == program.end())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "first difference at byte " << (ours - program.begin())
                                         << ": the program has " << Hex(*ours) << ", the emulator " << Hex(*theirs);
}

TEST(FactoryTables, KeyMapsAreTheProgramsBuiltInDefaultKeyBlock)
{
    const auto& keyBlock = tavrin::model::BuiltInDefaultKeyBlock();
    const emu::KeyboardMemory factory = emu::FactoryMemory();
    EXPECT_TRUE(SameBytes(keyBlock, factory.baseKeymap)) << "base key map";
    for (std::size_t bank = 0; bank < factory.keymaps.size(); ++bank)
        EXPECT_TRUE(SameBytes(keyBlock, factory.keymaps[bank])) << "key map of profile " << bank;
}

TEST(FactoryTables, SettingsAreaIsTheProgramsDefaultLightingRecordForEveryProfile)
{
    // Each profile's record holds the default from byte 3 on; bytes 0 to 2 of each record are
    // zero, byte 2 of the first being the active profile, 0.
    const auto& record = lighting::DefaultLightingRecord();
    std::vector<std::uint8_t> expected(device::kSettingsAreaSize, 0);
    for (std::size_t profile = 0; profile < device::kProfileCount; ++profile)
        std::copy(record.begin(), record.end(),
            expected.begin()
                + static_cast<std::ptrdiff_t>(
                    profile * lighting::kLightingRecordSize + lighting::kDefaultRecordOffset));
    expected[device::kActiveProfileAddress] = 0;
    EXPECT_TRUE(SameBytes(expected, emu::FactoryMemory().settings));
}

TEST(FactoryTables, ColourTablesAreTheProgramsDefaultKeyColours)
{
    const auto& colours = lighting::DefaultKeyColours();
    const emu::KeyboardMemory factory = emu::FactoryMemory();
    for (std::size_t table = 0; table < factory.colours.size(); ++table)
        EXPECT_TRUE(SameBytes(colours, factory.colours[table])) << "colour table " << table;
}

TEST(FactoryTables, LayoutsAndCodesAgree)
{
    const emu::KeyboardMemory factory = emu::FactoryMemory();
    struct Case {
        const char* name;
        std::size_t program, emulator;
    };
    const Case cases[] = {
        {"report size", device::kReportSize, emu::kReportBytes},
        {"report data size", device::kPayloadSize, emu::kReportDataBytes},
        {"report identifier", device::kReportId, emu::kControlReportId},
        {"status: refused", device::kStatusDeviceError, emu::kStatusRefused},
        {"status: out of the area", device::kStatusOutOfRange, emu::kStatusOutOfArea},
        {"begin", device::CMD_BEGIN, Code(emu::Opcode::Begin)},
        {"end", device::CMD_END, Code(emu::Opcode::End)},
        {"read identity", device::CMD_READ_INFO, Code(emu::Opcode::ReadInfo)},
        {"read settings", device::CMD_READ_SETTINGS, Code(emu::Opcode::ReadSettings)},
        {"write settings", device::CMD_WRITE_SETTINGS, Code(emu::Opcode::WriteSettings)},
        {"read key maps", device::CMD_READ_KEYMAP, Code(emu::Opcode::ReadKeyMaps)},
        {"write key maps", device::CMD_WRITE_KEYMAP, Code(emu::Opcode::WriteKeyMaps)},
        {"read macros", device::CMD_READ_MACROS, Code(emu::Opcode::ReadMacros)},
        {"write macros", device::CMD_WRITE_MACROS, Code(emu::Opcode::WriteMacros)},
        {"read base key map", device::CMD_READ_BASE_KEYMAP, Code(emu::Opcode::ReadBaseKeyMap)},
        {"read colours", device::CMD_READ_KEY_COLOURS, Code(emu::Opcode::ReadColours)},
        {"write colours", device::CMD_WRITE_KEY_COLOURS, Code(emu::Opcode::WriteColours)},
        {"identity block", device::kDeviceInfoSize, emu::kInfoBytes},
        {"macro capacity offset", device::kDeviceInfoMacroUnitsOffset, emu::kInfoMacroUnitsAt},
        {"mode list offset", device::kDeviceInfoModesOffset, emu::kInfoModesAt},
        {"mode list slots", device::kDeviceInfoModeSlots, emu::kInfoModeSlots},
        {"macro unit", device::kMacroUnitBytes, emu::kBytesPerMacroUnit},
        {"profiles", device::kProfileCount, emu::kProfileSlots},
        {"profiles in the identity block", device::kProfileCount, factory.info[8]},
        {"LEDs in the identity block", device::kLedCount, factory.info[9]},
        {"settings record", device::kSettingsRecordSize, emu::kProfileRecordBytes},
        {"lighting record", lighting::kLightingRecordSize, emu::kProfileRecordBytes},
        {"settings area", device::kSettingsAreaSize, emu::kSettingsBytes},
        {"active profile address", device::kActiveProfileAddress, emu::kActiveProfileAt},
        {"key block", device::kKeyBlockSize, emu::kKeyMapBytes},
        {"default key block", tavrin::model::kKeyBlockBytes, emu::kKeyMapBytes},
        {"key map area", device::kKeyMapAreaSize, emu::kKeyMapsBytes},
        {"colour table", device::kColourSlotSize, emu::kColourTableBytes},
        {"default colour table", lighting::kKeyColourTableSize, emu::kColourTableBytes},
        {"colour tables", device::kColourSlotCount, emu::kColourTables},
        {"colour area", device::kColourAreaSize, emu::kColoursBytes},
    };
    for (const Case& item : cases)
        EXPECT_EQ(item.program, item.emulator) << item.name;

    // Both sums over a report whose every byte counts.
    device::DeviceReport programs{};
    emu::Report emulators{};
    auto bytes = device::ReportBytes(programs);
    for (std::size_t i = 0; i < emulators.size(); ++i)
        bytes[i] = emulators[i] = static_cast<std::uint8_t>(0xFF - i);
    device::ComputeReportChecksum(bytes);
    emu::SealReport(emulators);
    EXPECT_TRUE(SameBytes(bytes, emulators)) << "the checksum";
}

}  // namespace
