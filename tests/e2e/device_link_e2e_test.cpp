// The program's device link through the real libTolvex.so, bound as the program binds it, against
// a real tolvex-emu.
#include <cstdlib>
#include <gtest/gtest.h>

#include "device/device_commands.h"
#include "device/result_codes.h"
#include "profiles/active_profile.h"
#include "support/attached_link.h"

namespace tavrin::device {
namespace {

class DeviceLinkEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string failure = attached_.Attach();
        ASSERT_TRUE(failure.empty()) << failure;
        commands_ = &attached_.Commands();
    }

    testing::AttachedLink attached_;
    testing::EmulatorProcess& emulator_ = attached_.Emulator();
    DeviceCommands* commands_ = nullptr;
};

std::vector<std::uint8_t> Pattern(std::size_t count, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed ^ (i * 13));
    return bytes;
}

TEST_F(DeviceLinkEndToEnd, EveryCommandWorks)
{
    DeviceCommands& commands = *commands_;
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    std::array<std::uint8_t, kPayloadSize> chunk{};
    std::array<std::uint8_t, kKeyBlockSize> bank{};
    std::array<std::uint8_t, kKeyBlockSize> bankBack{};
    const auto macros = Pattern(200, 0x3C);
    std::vector<std::uint8_t> macrosBack(200);
    const auto record = Pattern(32, 0x11);
    const auto colours = Pattern(54, 0x77);
    std::copy_n(Pattern(kKeyBlockSize, 0x5A).begin(), kKeyBlockSize, bank.begin());

    ASSERT_EQ(commands.ReadDeviceInfo(info), kDeviceOk);
    EXPECT_EQ(info[kDeviceInfoMacroUnitsOffset], 0x80);
    ASSERT_EQ(commands.DeviceBegin(), kDeviceOk);
    ASSERT_EQ(commands.WriteSettings(record, 35 + 3), kDeviceOk);
    ASSERT_EQ(commands.WriteKeyMapBank(bank, 1), kDeviceOk);
    ASSERT_EQ(commands.WriteMacroArea(macros), kDeviceOk);
    ASSERT_EQ(commands.WriteKeyColours(colours, 18, 2), kDeviceOk);
    ASSERT_EQ(commands.DeviceEnd(), kDeviceOk);

    ASSERT_EQ(commands.ReadSettings(chunk, 56, 35), kDeviceOk);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), chunk.begin() + 3));
    ASSERT_EQ(commands.ReadKeyMapBank(bankBack, 1), kDeviceOk);
    EXPECT_EQ(bankBack, bank);
    ASSERT_EQ(commands.ReadMacroArea(macrosBack), kDeviceOk);
    EXPECT_EQ(macrosBack, macros);
    ASSERT_EQ(commands.ReadKeyColours(chunk, 54, 18, 2), kDeviceOk);
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), chunk.begin()));
    ASSERT_EQ(commands.ReadBaseKeyMap(bankBack), kDeviceOk);
    EXPECT_EQ(bankBack[8 * 3 + 2], 0x29) << "Esc in the keyboard's own default map";
    EXPECT_EQ(commands.WriteSettings(record, 100), kDeviceStatusRange) << "past the settings area";
}

TEST_F(DeviceLinkEndToEnd, ReadsTheProfileChosenOnTheKeyboard)
{
    profiles::ActiveProfile active(*commands_);
    EXPECT_EQ(active.ReadActiveProfile(), 0);
    int exitCode = -1;
    emulator_.Control("profile 2", &exitCode);
    ASSERT_EQ(exitCode, 0);
    EXPECT_EQ(active.ReadActiveProfile(), 2);
    active.WriteActiveProfile(1);
    EXPECT_EQ(active.ReadActiveProfile(), 1);
}

TEST_F(DeviceLinkEndToEnd, ADroppedReplyIsRecoveredByTheSecondAttempt)
{
    emulator_.Control("fault drop 1");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(commands_->DeviceBegin(), kDeviceOk);
    EXPECT_GE(std::chrono::steady_clock::now() - started, kReplyWindow);
    EXPECT_NE(emulator_.Control("status").find("requests answered: 2"), std::string::npos);
}

TEST_F(DeviceLinkEndToEnd, AnUnpluggedKeyboardGivesZero)
{
    emulator_.Control("unplug");
    // The library hears of it from the emulator; give that notice a moment to arrive.
    int result = kDeviceOk;
    for (int i = 0; i < 100 && result != kDeviceAbsent; ++i) {
        result = commands_->DeviceBegin();
        if (result != kDeviceAbsent)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(result, kDeviceAbsent);
    profiles::ActiveProfile active(*commands_);
    EXPECT_EQ(active.ReadActiveProfile(), profiles::kUnknownProfile);
}

}  // namespace
}  // namespace tavrin::device
