// The command set's request sequences and results against the fake keyboard.
#include "device/device_commands.h"

#include <gtest/gtest.h>

#include "device/result_codes.h"
#include "fake_keyboard.h"

namespace tavrin::device {
namespace {

using testing::Answer;

struct Sent {
    std::uint8_t command;
    std::uint8_t length;
    std::uint16_t address;
    bool operator==(const Sent&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sent& sent)
{
    return out << "{command " << int{sent.command} << ", length " << int{sent.length} << ", address " << sent.address
               << "}";
}

class DeviceCommandsTest : public ::testing::Test {
protected:
    DeviceCommandsTest() { keyboard_.Attach(link_); }

    std::vector<Sent> SentRequests() const
    {
        std::vector<Sent> sent;
        for (const auto& frame : keyboard_.Writes())
            sent.push_back({frame[3], frame[4], static_cast<std::uint16_t>(frame[5] | frame[6] << 8)});
        return sent;
    }

    testing::EventLog log_;
    testing::RecordingTimer timer_{log_};
    testing::FakeKeyboard keyboard_{log_};
    DeviceLink link_{keyboard_, timer_};
    DeviceCommands commands_{link_};
};

TEST_F(DeviceCommandsTest, ReadsBankTwoInSevenChunks)
{
    std::array<std::uint8_t, kKeyBlockSize> bank{};
    ASSERT_EQ(commands_.ReadKeyMapBank(bank, 2), kDeviceOk);
    EXPECT_EQ(SentRequests(),
        (std::vector<Sent>{
            {7, 56, 756}, {7, 56, 812}, {7, 56, 868}, {7, 56, 924}, {7, 56, 980}, {7, 56, 1036}, {7, 42, 1092}}));
    EXPECT_TRUE(std::equal(bank.begin(), bank.end(), keyboard_.Memory().keymaps[2].begin()));
}

TEST_F(DeviceCommandsTest, ChunkedWritesReuseOneFrame)
{
    std::vector<std::uint8_t> macros(100);
    for (std::size_t i = 0; i < macros.size(); ++i)
        macros[i] = static_cast<std::uint8_t>(i + 1);
    ASSERT_EQ(commands_.WriteMacroArea(macros), kDeviceOk);
    EXPECT_EQ(SentRequests(), (std::vector<Sent>{{10, 56, 0}, {10, 44, 56}}));
    const auto writes = keyboard_.Writes();
    for (std::size_t i = 44; i < 56; ++i)
        EXPECT_EQ(writes[1][8 + i], writes[0][8 + i]) << "payload byte " << i << " repeats the first chunk";
    auto sealed = writes[1];
    ComputeReportChecksum(sealed);
    EXPECT_EQ(sealed, writes[1]) << "the repeated bytes count in the checksum";
    EXPECT_TRUE(std::equal(macros.begin(), macros.end(), keyboard_.Memory().macros.begin()));
}

TEST_F(DeviceCommandsTest, TransfersOfExactlyOneChunkOrNothing)
{
    std::vector<std::uint8_t> one(56, 0xA5);
    ASSERT_EQ(commands_.WriteMacroArea(one), kDeviceOk);
    EXPECT_EQ(SentRequests(), (std::vector<Sent>{{10, 56, 0}}));
    EXPECT_EQ(commands_.WriteMacroArea({}), kDeviceOk);
    EXPECT_EQ(commands_.ReadMacroArea({}), kDeviceOk);
    EXPECT_EQ(keyboard_.Writes().size(), 1u) << "a count of 0 sends nothing";
}

TEST_F(DeviceCommandsTest, RefusesBanksOutsideTheThreeWithoutTraffic)
{
    std::array<std::uint8_t, kKeyBlockSize> bank{};
    EXPECT_EQ(commands_.ReadKeyMapBank(bank, 3), kDeviceBadBank);
    EXPECT_EQ(commands_.WriteKeyMapBank(bank, 7), kDeviceBadBank);
    EXPECT_EQ(commands_.ReadKeyMapBank(bank, -1), kDeviceBadBank);
    EXPECT_TRUE(keyboard_.Writes().empty());
}

TEST_F(DeviceCommandsTest, MapsErrorStatusesAfterTheThirdAttempt)
{
    std::array<std::uint8_t, kPayloadSize> settings{};
    keyboard_.Script({Answer::StatusFF, Answer::StatusFF, Answer::StatusFF});
    EXPECT_EQ(commands_.ReadSettings(settings, 56, 0), kDeviceStatusError);
    keyboard_.Script({Answer::StatusFE, Answer::StatusFE, Answer::StatusFE});
    EXPECT_EQ(commands_.DeviceBegin(), kDeviceStatusRange);
    keyboard_.Script({Answer::Silent, Answer::Silent, Answer::Silent});
    EXPECT_EQ(commands_.DeviceBegin(), kDeviceNoReply);
}

TEST_F(DeviceCommandsTest, AReplyTooShortForWhatWasAskedIsNoReply)
{
    // The short reply (10 bytes) follows a whole one with a wrong echo: nothing of that earlier
    // reply may pass for the bytes asked for.
    std::array<std::uint8_t, kPayloadSize> settings{};
    keyboard_.Script({Answer::WrongEcho, Answer::Short});
    EXPECT_EQ(commands_.ReadSettings(settings, 56, 0), kDeviceNoReply);
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    keyboard_.Script({Answer::Short});
    EXPECT_EQ(commands_.ReadDeviceInfo(info), kDeviceNoReply);
    keyboard_.Script({Answer::Short});
    EXPECT_EQ(commands_.DeviceBegin(), kDeviceOk) << "a write needs only the status byte";
}

TEST_F(DeviceCommandsTest, AMultiReportTransferStopsAtTheFirstFailure)
{
    std::array<std::uint8_t, kKeyBlockSize> bank{};
    bank.fill(0xEE);
    keyboard_.Script({Answer::Normal, Answer::StatusFE, Answer::StatusFE, Answer::StatusFE});
    EXPECT_EQ(commands_.ReadKeyMapBank(bank, 0), kDeviceStatusRange);
    EXPECT_EQ(keyboard_.Writes().size(), 4u);
    EXPECT_TRUE(std::equal(bank.begin(), bank.begin() + 56, keyboard_.Memory().keymaps[0].begin()));
    EXPECT_EQ(bank[56], 0xEE) << "nothing past the last good chunk";
}

TEST_F(DeviceCommandsTest, EndPausesTenMillisecondsBeforeItLeaves)
{
    ASSERT_EQ(commands_.DeviceEnd(), kDeviceOk);
    EXPECT_EQ(log_.Entries(), (std::vector<std::string>{"sleep 10", "write 2", "wait 300"}));
}

TEST_F(DeviceCommandsTest, EveryOperationAddressesItsArea)
{
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    std::array<std::uint8_t, kPayloadSize> chunk{};
    std::array<std::uint8_t, kKeyBlockSize> bank{};
    const std::uint8_t fnRed[] = {255, 0, 0};
    const std::uint8_t activeProfile[] = {1};
    ASSERT_EQ(commands_.DeviceBegin(), kDeviceOk);
    ASSERT_EQ(commands_.ReadDeviceInfo(info), kDeviceOk);
    ASSERT_EQ(commands_.ReadSettings(chunk, 56, 70), kDeviceOk);
    ASSERT_EQ(commands_.WriteSettings(activeProfile, 2), kDeviceOk);
    ASSERT_EQ(commands_.WriteKeyMapBank(bank, 1), kDeviceOk);
    ASSERT_EQ(commands_.ReadBaseKeyMap(bank), kDeviceOk);
    ASSERT_EQ(commands_.WriteKeyColours(fnRed, 110, 1), kDeviceOk);
    ASSERT_EQ(commands_.ReadKeyColours(chunk, 54, 108, 1), kDeviceOk);
    ASSERT_EQ(commands_.DeviceEnd(), kDeviceOk);

    EXPECT_EQ(info[11], 0x80);
    EXPECT_EQ(keyboard_.Memory().settings[2], 1);
    EXPECT_EQ(chunk[6], 255) << "LED 110 read back from profile 1";
    const auto sent = SentRequests();
    ASSERT_EQ(sent.size(), 1u + 1 + 1 + 1 + 7 + 7 + 1 + 1 + 1);
    EXPECT_EQ(sent[1], (Sent{3, 46, 0}));
    EXPECT_EQ(sent[2], (Sent{5, 56, 70}));
    EXPECT_EQ(sent[3], (Sent{6, 1, 2}));
    EXPECT_EQ(sent[4], (Sent{8, 56, 378}));
    EXPECT_EQ(sent[11], (Sent{15, 56, 0}));
    EXPECT_EQ(sent[18], (Sent{17, 3, 512 + 330}));
    EXPECT_EQ(sent[19], (Sent{16, 54, 512 + 324}));
    EXPECT_EQ(sent[20], (Sent{2, 0, 0}));
}

}  // namespace
}  // namespace tavrin::device
