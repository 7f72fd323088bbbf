// The emulated keyboard's answers, request by request, without sockets.
#include "firmware.h"

#include <gtest/gtest.h>

#include "lighting/lighting_defaults.h"
#include "model/default_key_block.h"
#include "tolvex/tolvex.h"

namespace tolvex::emu {
namespace {

using namespace tavrin::device;

Report Request(
    std::uint8_t command, std::uint8_t length, std::uint16_t address, std::span<const std::uint8_t> payload = {})
{
    Report request{};
    request[0] = kReportId;
    request[3] = command;
    request[4] = length;
    request[5] = static_cast<std::uint8_t>(address);
    request[6] = static_cast<std::uint8_t>(address >> 8);
    std::copy(payload.begin(), payload.end(), request.begin() + 8);
    ComputeReportChecksum(request);
    return request;
}

std::vector<std::uint8_t> Data(const Report& reply, std::size_t count)
{
    return {reply.begin() + 8, reply.begin() + 8 + static_cast<std::ptrdiff_t>(count)};
}

class FirmwareTest : public ::testing::Test {
protected:
    Firmware firmware_{FactoryMemory()};
};

TEST_F(FirmwareTest, ReadsAnswerFromFactoryMemoryWithEchoAndStatus)
{
    const auto& keyBlock = tavrin::model::BuiltInDefaultKeyBlock();
    const auto& colours = tavrin::lighting::DefaultKeyColours();
    const auto& record = tavrin::lighting::DefaultLightingRecord();
    struct Case {
        const char* name;
        Report request;
        std::vector<std::uint8_t> expected;
    };
    const Case cases[] = {
        {"base key map", Request(CMD_READ_BASE_KEYMAP, 56, 0), {keyBlock.begin(), keyBlock.begin() + 56}},
        {"bank 2, last chunk", Request(CMD_READ_KEYMAP, 42, 2 * 378 + 336), {keyBlock.begin() + 336, keyBlock.end()}},
        {"settings of profile 1", Request(CMD_READ_SETTINGS, 32, 35 + 3), {record.begin(), record.end()}},
        {"colours of slot 3", Request(CMD_READ_KEY_COLOURS, 54, 3 * 512 + 18 * 3 * 1),
            {colours.begin() + 54, colours.begin() + 108}},
        {"empty macro area", Request(CMD_READ_MACROS, 56, 16384 - 56), std::vector<std::uint8_t>(56, 0)},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        const auto outcome = firmware_.HandleControl(item.request);
        EXPECT_EQ(outcome.reply[0], kReportId);
        EXPECT_EQ(outcome.reply[3], item.request[3]);
        EXPECT_EQ(outcome.reply[7], kStatusOk);
        EXPECT_EQ(Data(outcome.reply, item.expected.size()), item.expected);
        EXPECT_FALSE(outcome.memoryChanged);
        Report sealed = outcome.reply;
        ComputeReportChecksum(sealed);
        EXPECT_EQ(sealed, outcome.reply) << "replies carry a right checksum";
    }
}

TEST_F(FirmwareTest, IdentityBlockCarriesCapacityAndModes)
{
    const auto reply = firmware_.HandleControl(Request(CMD_READ_INFO, 46, 0)).reply;
    EXPECT_EQ(reply[8 + 11], 0x80);
    for (int mode = 1; mode <= 19; ++mode)
        EXPECT_EQ(reply[8 + 11 + mode], mode);
    for (int slot = 19; slot < 23; ++slot)
        EXPECT_EQ(reply[8 + 12 + slot], 0);
    EXPECT_EQ(reply[8 + 2] | reply[8 + 3] << 8, TOLVEX_PRODUCT_ID);
}

TEST_F(FirmwareTest, WritesLandInTheirAreaAndReadBack)
{
    struct Case {
        const char* name;
        std::uint8_t write, read;
        std::uint16_t address;
    };
    const Case cases[] = {
        {"settings", CMD_WRITE_SETTINGS, CMD_READ_SETTINGS, 70 + 12},
        {"key map bank 1", CMD_WRITE_KEYMAP, CMD_READ_KEYMAP, 378 + 56},
        {"macros", CMD_WRITE_MACROS, CMD_READ_MACROS, 56},
        {"colours", CMD_WRITE_KEY_COLOURS, CMD_READ_KEY_COLOURS, 512 + 330},
    };
    const std::uint8_t bytes[] = {0x12, 0x34, 0x56};
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        const auto written = firmware_.HandleControl(Request(item.write, 3, item.address, bytes));
        EXPECT_EQ(written.reply[7], kStatusOk);
        EXPECT_TRUE(written.memoryChanged);
        EXPECT_FALSE(firmware_.HandleControl(Request(item.write, 3, item.address, bytes)).memoryChanged)
            << "the same bytes again change nothing";
        const auto read = firmware_.HandleControl(Request(item.read, 3, item.address)).reply;
        EXPECT_EQ(Data(read, 3), (std::vector<std::uint8_t>{0x12, 0x34, 0x56}));
    }
}

TEST_F(FirmwareTest, RejectsBadChecksumsUnknownCommandsAndAddressesOutsideTheArea)
{
    Report badSum = Request(CMD_WRITE_SETTINGS, 1, 2, std::array<std::uint8_t, 1>{1});
    badSum[1] ^= 1;
    struct Case {
        const char* name;
        Report request;
        std::uint8_t status;
    };
    const Case cases[] = {
        {"checksum", badSum, kStatusDeviceError},
        {"unknown command 4", Request(4, 0, 0), kStatusDeviceError},
        {"write past the settings", Request(CMD_WRITE_SETTINGS, 3, 103), kStatusOutOfRange},
        {"read starting past the key maps", Request(CMD_READ_KEYMAP, 1, 1134), kStatusOutOfRange},
        {"length above 56", Request(CMD_READ_MACROS, 57, 0), kStatusOutOfRange},
        {"write past the macro area", Request(CMD_WRITE_MACROS, 56, 16384 - 55), kStatusOutOfRange},
        {"write past the colours", Request(CMD_WRITE_KEY_COLOURS, 54, 2048 - 53), kStatusOutOfRange},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        const auto outcome = firmware_.HandleControl(item.request);
        EXPECT_EQ(outcome.reply[3], item.request[3]);
        EXPECT_EQ(outcome.reply[7], item.status);
        EXPECT_FALSE(outcome.memoryChanged);
    }
    EXPECT_EQ(firmware_.Memory(), FactoryMemory()) << "nothing refused was written";
}

TEST_F(FirmwareTest, ReadsThatRunPastTheEndOfTheirAreaReadZeros)
{
    // The host reads the last lighting record with one 56-byte read, and slot 3's last colour
    // chunk reaches beyond the colour area.
    const auto settings = firmware_.HandleControl(Request(CMD_READ_SETTINGS, 56, 70)).reply;
    EXPECT_EQ(settings[7], kStatusOk);
    EXPECT_EQ(settings[8 + 3], 0x01) << "mode of profile 2";
    EXPECT_EQ(Data(settings, 56)[40], 0);
    const auto colours = firmware_.HandleControl(Request(CMD_READ_KEY_COLOURS, 54, 3 * 512 + 9 * 54)).reply;
    EXPECT_EQ(colours[7], kStatusOk);
    EXPECT_EQ(Data(colours, 54), std::vector<std::uint8_t>(54, 0));
}

TEST_F(FirmwareTest, ShortRequestsAreZeroFilled)
{
    const std::uint8_t beginOnly[] = {kReportId, 0x01, 0x00, CMD_BEGIN};
    const auto outcome = firmware_.HandleControl(beginOnly);
    EXPECT_EQ(outcome.reply[3], CMD_BEGIN);
    EXPECT_EQ(outcome.reply[7], kStatusOk);
    EXPECT_EQ(firmware_.HandleControl(std::span<const std::uint8_t>{}).reply[7], kStatusDeviceError)
        << "an empty request is an all-zero frame: command 0 with a right checksum, which is unknown";
}

TEST_F(FirmwareTest, KeepsTheBankStatusThatTheHostWrites)
{
    EXPECT_EQ(firmware_.Memory().bankStatus, (std::array<std::uint8_t, 2>{0x05, 0x02}));
    EXPECT_TRUE(firmware_.WriteBankStatus(std::array<std::uint8_t, 2>{0x05, 0x03}));
    EXPECT_EQ(firmware_.Memory().bankStatus, (std::array<std::uint8_t, 2>{0x05, 0x03}));
    EXPECT_FALSE(firmware_.WriteBankStatus(std::array<std::uint8_t, 2>{0x04, 0x02})) << "wrong report identifier";
    EXPECT_FALSE(firmware_.WriteBankStatus(std::array<std::uint8_t, 1>{0x05}));
    EXPECT_EQ(firmware_.Memory().bankStatus, (std::array<std::uint8_t, 2>{0x05, 0x03}));
}

}  // namespace
}  // namespace tolvex::emu
