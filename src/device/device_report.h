// The 64-byte report that carries every request to the keyboard and every reply from it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tavrin::device {

inline constexpr std::size_t kReportSize = 64;
inline constexpr std::size_t kPayloadSize = 56;
inline constexpr std::uint8_t kReportId = 4;
inline constexpr std::uint8_t kStatusDeviceError = 0xFF;
inline constexpr std::uint8_t kStatusOutOfRange = 0xFE;

// Byte layout; multi-byte fields are kept as bytes and read or written little-endian explicitly.
struct DeviceReport {
    std::uint8_t reportId;
    std::uint8_t checksum[2];
    std::uint8_t command;
    std::uint8_t length;
    std::uint8_t address[2];
    std::uint8_t status;
    std::uint8_t payload[kPayloadSize];

    std::uint16_t Checksum() const { return static_cast<std::uint16_t>(checksum[0] | (checksum[1] << 8)); }
    std::uint16_t Address() const { return static_cast<std::uint16_t>(address[0] | (address[1] << 8)); }
    void SetAddress(std::uint16_t value)
    {
        address[0] = static_cast<std::uint8_t>(value);
        address[1] = static_cast<std::uint8_t>(value >> 8);
    }
};
static_assert(sizeof(DeviceReport) == kReportSize);
static_assert(offsetof(DeviceReport, reportId) == 0);
static_assert(offsetof(DeviceReport, checksum) == 1);
static_assert(offsetof(DeviceReport, command) == 3);
static_assert(offsetof(DeviceReport, length) == 4);
static_assert(offsetof(DeviceReport, address) == 5);
static_assert(offsetof(DeviceReport, status) == 7);
static_assert(offsetof(DeviceReport, payload) == 8);

// The 16-bit sum of bytes 3 to 63; bytes 0 to 2 are not part of it.
std::uint16_t SumReportBytes(std::span<const std::uint8_t, kReportSize> report);

// Stores the sum of bytes 3 to 63 at bytes 1 (low) and 2 (high) and returns it.
std::uint16_t ComputeReportChecksum(std::span<std::uint8_t, kReportSize> report);

inline std::span<std::uint8_t, kReportSize> ReportBytes(DeviceReport& report)
{
    return std::span<std::uint8_t, kReportSize>(reinterpret_cast<std::uint8_t*>(&report), kReportSize);
}

inline std::span<const std::uint8_t, kReportSize> ReportBytes(const DeviceReport& report)
{
    return std::span<const std::uint8_t, kReportSize>(reinterpret_cast<const std::uint8_t*>(&report), kReportSize);
}

}  // namespace tavrin::device
