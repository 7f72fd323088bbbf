// The 64-byte report on the control interface, as the firmware reads requests and writes replies:
//
//   byte 0     report identifier 4
//   bytes 1-2  the 16-bit sum of bytes 3 to 63, low byte first
//   byte 3     command
//   byte 4     length of the data
//   bytes 5-6  address in the command's area, low byte first
//   byte 7     status (replies)
//   bytes 8-63 data
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvex::emu {

inline constexpr std::size_t kReportBytes = 64;
inline constexpr std::size_t kReportDataBytes = 56;
inline constexpr std::uint8_t kControlReportId = 4;

inline constexpr std::size_t kAtReportId = 0;
inline constexpr std::size_t kAtSum = 1;
inline constexpr std::size_t kAtCommand = 3;
inline constexpr std::size_t kAtLength = 4;
inline constexpr std::size_t kAtAddress = 5;
inline constexpr std::size_t kAtStatus = 7;
inline constexpr std::size_t kAtData = 8;
static_assert(kAtData + kReportDataBytes == kReportBytes);

using Report = std::array<std::uint8_t, kReportBytes>;

inline constexpr std::uint8_t kStatusOk = 0x00;
inline constexpr std::uint8_t kStatusRefused = 0xFF;    // wrong sum or unknown command
inline constexpr std::uint8_t kStatusOutOfArea = 0xFE;  // address or length outside the command's area

enum class Opcode : std::uint8_t {
    Begin = 1,
    End = 2,
    ReadInfo = 3,
    ReadSettings = 5,
    WriteSettings = 6,
    ReadKeyMaps = 7,
    WriteKeyMaps = 8,
    ReadMacros = 9,
    WriteMacros = 10,
    ReadBaseKeyMap = 15,
    ReadColours = 16,
    WriteColours = 17,
};

// The sum the report should carry: bytes 3 to 63 added up, kept to 16 bits. Bytes 0 to 2 are not
// part of it.
constexpr std::uint16_t ReportSum(const Report& report)
{
    std::uint32_t sum = 0;
    for (std::size_t i = kAtCommand; i < kReportBytes; ++i)
        sum += report[i];
    return static_cast<std::uint16_t>(sum);
}

constexpr std::uint16_t CarriedSum(const Report& report)
{
    return static_cast<std::uint16_t>(report[kAtSum] | report[kAtSum + 1] << 8);
}

// Writes the report's sum into bytes 1 and 2; done last, once every other byte is in place.
constexpr void SealReport(Report& report)
{
    const std::uint16_t sum = ReportSum(report);
    report[kAtSum] = static_cast<std::uint8_t>(sum);
    report[kAtSum + 1] = static_cast<std::uint8_t>(sum >> 8);
}

constexpr std::uint16_t ReportAddress(const Report& report)
{
    return static_cast<std::uint16_t>(report[kAtAddress] | report[kAtAddress + 1] << 8);
}

}  // namespace tolvex::emu
