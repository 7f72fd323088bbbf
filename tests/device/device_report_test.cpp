#include "device/device_report.h"

#include <gtest/gtest.h>

namespace tavrin::device {
namespace {

TEST(ReportChecksum, SumsBytesThreeToSixtyThreeLittleEndian)
{
    struct Case {
        const char* name;
        std::array<std::uint8_t, kReportSize> report;
        std::uint16_t expected;
    };
    std::array<std::uint8_t, kReportSize> allZero{};
    std::array<std::uint8_t, kReportSize> beginCommand{};
    beginCommand[0] = kReportId;
    beginCommand[3] = 1;
    std::array<std::uint8_t, kReportSize> headerIgnored{};
    headerIgnored[0] = 0xFF;
    headerIgnored[1] = 0xFF;
    headerIgnored[2] = 0xFF;
    std::array<std::uint8_t, kReportSize> allOnes{};
    allOnes.fill(0xFF);
    const Case cases[] = {
        {"zero", allZero, 0x0000},
        {"begin command", beginCommand, 0x0001},
        {"bytes 0 to 2 are not summed", headerIgnored, 0x0000},
        {"largest sum fits in 16 bits", allOnes, 61 * 255},
    };
    for (Case item : cases) {
        SCOPED_TRACE(item.name);
        EXPECT_EQ(ComputeReportChecksum(item.report), item.expected);
        EXPECT_EQ(item.report[1], item.expected & 0xFF);
        EXPECT_EQ(item.report[2], item.expected >> 8);
    }
}

TEST(DeviceReport, AddressIsLittleEndianAtBytesFiveAndSix)
{
    DeviceReport report{};
    report.SetAddress(0x0474);
    const auto bytes = ReportBytes(report);
    EXPECT_EQ(bytes[5], 0x74);
    EXPECT_EQ(bytes[6], 0x04);
    EXPECT_EQ(report.Address(), 0x0474);
}

}  // namespace
}  // namespace tavrin::device
