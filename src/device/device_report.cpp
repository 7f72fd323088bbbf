#include "device/device_report.h"

namespace tavrin::device {

std::uint16_t SumReportBytes(std::span<const std::uint8_t, kReportSize> report)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 3; i < kReportSize; ++i)
        sum += report[i];
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t ComputeReportChecksum(std::span<std::uint8_t, kReportSize> report)
{
    const std::uint16_t sum = SumReportBytes(report);
    report[1] = static_cast<std::uint8_t>(sum);
    report[2] = static_cast<std::uint8_t>(sum >> 8);
    return sum;
}

}  // namespace tavrin::device
