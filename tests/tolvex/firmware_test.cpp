// The emulated keyboard's answers, request by request, without sockets.
#include "firmware.h"

#include <gtest/gtest.h>

#include "tolvex/tolvex.h"

namespace tolvex::emu {
namespace {

Report Request(Opcode command, std::uint8_t length, std::uint16_t address, std::span<const std::uint8_t> payload = {})
{
    Report request{};
    request[0] = kControlReportId;
    request[3] = static_cast<std::uint8_t>(command);
    request[4] = length;
    request[5] = static_cast<std::uint8_t>(address);
    request[6] = static_cast<std::uint8_t>(address >> 8);
    std::copy(payload.begin(), payload.end(), request.begin() + 8);
    SealReport(request);
    return request;
}

std::vector<std::uint8_t> Data(const Report& reply, std::size_t count)
{
    return {reply.begin() + 8, reply.begin() + 8 + static_cast<std::ptrdiff_t>(count)};
}

TEST(ControlReport, SumCoversBytes3To63AndIsStoredLowByteFirst)
{
    Report report;
    report.fill(0xFF);
    SealReport(report);
    EXPECT_EQ(report[0], 0xFF) << "the report identifier is not touched";
    EXPECT_EQ(report[1], 0xC3) << "61 × 0xFF = 0x3CC3";
    EXPECT_EQ(report[2], 0x3C);
    EXPECT_EQ(CarriedSum(report), 0x3CC3);
}

class FirmwareTest : public ::testing::Test {
protected:
    Firmware firmware_{FactoryMemory()};
};

TEST_F(FirmwareTest, ReadsAnswerFromFactoryMemoryWithEchoAndStatus)
{
    const KeyboardMemory factory = FactoryMemory();
    const auto& bank2 = factory.keymaps[2];
    const auto& table3 = factory.colours[3];
    struct Case {
        const char* name;
        Report request;
        std::vector<std::uint8_t> expected;
    };
    const Case cases[] = {
        {"base key map", Request(Opcode::ReadBaseKeyMap, 56, 0),
            {factory.baseKeymap.begin(), factory.baseKeymap.begin() + 56}},
        {"bank 2, last chunk", Request(Opcode::ReadKeyMaps, 42, 2 * 378 + 336), {bank2.begin() + 336, bank2.end()}},
        {"settings of profile 1", Request(Opcode::ReadSettings, 35, 35),
            {factory.settings.begin() + 35, factory.settings.begin() + 70}},
        {"colours of slot 3", Request(Opcode::ReadColours, 54, 3 * 512 + 54),
            {table3.begin() + 54, table3.begin() + 108}},
        {"empty macro area", Request(Opcode::ReadMacros, 56, 16384 - 56), std::vector<std::uint8_t>(56, 0)},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        const auto outcome = firmware_.HandleControl(item.request);
        EXPECT_EQ(outcome.reply[0], kControlReportId);
        EXPECT_EQ(outcome.reply[3], item.request[3]);
        EXPECT_EQ(outcome.reply[7], kStatusOk);
        EXPECT_EQ(Data(outcome.reply, item.expected.size()), item.expected);
        EXPECT_FALSE(outcome.memoryChanged);
        EXPECT_EQ(CarriedSum(outcome.reply), ReportSum(outcome.reply)) << "replies carry a right checksum";
    }
}

TEST_F(FirmwareTest, IdentityBlockCarriesCapacityAndModes)
{
    const auto reply = firmware_.HandleControl(Request(Opcode::ReadInfo, 46, 0)).reply;
    EXPECT_EQ(reply[8 + 11], 0x80);
    for (int mode = 1; mode <= 19; ++mode)
        EXPECT_EQ(reply[8 + 11 + mode], mode);
    for (int slot = 19; slot < 23; ++slot)
        EXPECT_EQ(reply[8 + 12 + slot], 0);
    EXPECT_EQ(reply[8 + 0] | reply[8 + 1] << 8, TOLVEX_VENDOR_ID);
    EXPECT_EQ(reply[8 + 2] | reply[8 + 3] << 8, TOLVEX_PRODUCT_ID);
}

TEST_F(FirmwareTest, WritesLandInTheirAreaAndReadBack)
{
    struct Case {
        const char* name;
        Opcode write, read;
        std::uint16_t address;
    };
    const Case cases[] = {
        {"settings", Opcode::WriteSettings, Opcode::ReadSettings, 70 + 12},
        {"key map bank 1", Opcode::WriteKeyMaps, Opcode::ReadKeyMaps, 378 + 56},
        {"macros", Opcode::WriteMacros, Opcode::ReadMacros, 56},
        {"colours", Opcode::WriteColours, Opcode::ReadColours, 512 + 330},
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
    Report badSum = Request(Opcode::WriteSettings, 1, 2, std::array<std::uint8_t, 1>{1});
    badSum[1] ^= 1;
    struct Case {
        const char* name;
        Report request;
        std::uint8_t status;
    };
    const Case cases[] = {
        {"checksum", badSum, kStatusRefused},
        {"unknown command 4", Request(static_cast<Opcode>(4), 0, 0), kStatusRefused},
        {"write past the settings", Request(Opcode::WriteSettings, 3, 103), kStatusOutOfArea},
        {"read starting past the key maps", Request(Opcode::ReadKeyMaps, 1, 1134), kStatusOutOfArea},
        {"length above 56", Request(Opcode::ReadMacros, 57, 0), kStatusOutOfArea},
        {"write past the macro area", Request(Opcode::WriteMacros, 56, 16384 - 55), kStatusOutOfArea},
        {"write past the colours", Request(Opcode::WriteColours, 54, 2048 - 53), kStatusOutOfArea},
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
    const auto settings = firmware_.HandleControl(Request(Opcode::ReadSettings, 56, 70)).reply;
    EXPECT_EQ(settings[7], kStatusOk);
    EXPECT_EQ(settings[8 + 3], 0x01) << "mode of profile 2";
    EXPECT_EQ(Data(settings, 56)[40], 0);
    const auto colours = firmware_.HandleControl(Request(Opcode::ReadColours, 54, 3 * 512 + 9 * 54)).reply;
    EXPECT_EQ(colours[7], kStatusOk);
    EXPECT_EQ(Data(colours, 54), std::vector<std::uint8_t>(54, 0));
}

TEST_F(FirmwareTest, ShortRequestsAreZeroFilled)
{
    const std::uint8_t beginOnly[] = {kControlReportId, 0x01, 0x00, static_cast<std::uint8_t>(Opcode::Begin)};
    const auto outcome = firmware_.HandleControl(beginOnly);
    EXPECT_EQ(outcome.reply[3], static_cast<std::uint8_t>(Opcode::Begin));
    EXPECT_EQ(outcome.reply[7], kStatusOk);
    EXPECT_EQ(firmware_.HandleControl(std::span<const std::uint8_t>{}).reply[7], kStatusRefused)
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
