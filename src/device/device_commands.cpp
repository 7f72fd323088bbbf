#include "device/device_commands.h"

#include <algorithm>

#include "device/result_codes.h"

namespace tavrin::device {
namespace {

bool ValidBank(int bank)
{
    return bank >= 0 && bank < static_cast<int>(kProfileCount);
}

}  // namespace

int DeviceCommands::Send(DeviceReport& frame, std::span<std::uint8_t> replyPayload, std::size_t copyCount)
{
    ComputeReportChecksum(ReportBytes(frame));
    std::array<std::uint8_t, kReportSize> reply{};
    std::uint32_t copied = 0;
    const int result = link_.ExchangeReport(ReportBytes(frame), reply, copied);
    if (result != kDeviceOk)
        return result;
    // Only the bytes that arrived count: the buffer past them may hold an earlier attempt's reply.
    constexpr std::size_t kPayloadOffset = 8;
    if (copied < kPayloadOffset)
        return kDeviceNoReply;  // too short to carry its status
    if (reply[7] == kStatusDeviceError)
        return kDeviceStatusError;
    if (reply[7] == kStatusOutOfRange)
        return kDeviceStatusRange;
    const std::size_t wanted = std::min({copyCount, replyPayload.size(), kPayloadSize});
    if (copied - kPayloadOffset < wanted)
        return kDeviceNoReply;  // the reply does not carry the bytes asked for
    std::copy_n(reply.begin() + kPayloadOffset, wanted, replyPayload.begin());
    return kDeviceOk;
}

int DeviceCommands::Single(std::uint8_t command, std::uint8_t length, std::uint16_t address,
    std::span<const std::uint8_t> payload, std::span<std::uint8_t> replyPayload)
{
    DeviceReport frame{};
    frame.reportId = kReportId;
    frame.command = command;
    frame.length = length;
    frame.SetAddress(address);
    std::copy_n(payload.begin(), std::min(payload.size(), kPayloadSize), frame.payload);
    return Send(frame, replyPayload, replyPayload.size());
}

int DeviceCommands::Transfer(std::uint8_t command, std::uint32_t baseAddress, std::span<const std::uint8_t> source,
    std::span<std::uint8_t> destination, std::size_t count)
{
    // Cleared once: bytes past a shorter last chunk keep what the chunk before carried there, and
    // count in the checksum, as the keyboard expects.
    DeviceReport frame{};
    frame.reportId = kReportId;
    for (std::size_t offset = 0; offset < count; offset += kPayloadSize) {
        const std::size_t length = std::min(kPayloadSize, count - offset);
        frame.command = command;
        frame.length = static_cast<std::uint8_t>(length);
        frame.SetAddress(static_cast<std::uint16_t>(baseAddress + offset));
        frame.status = 0;
        if (!source.empty())
            std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(offset), length, frame.payload);
        const auto target = destination.empty() ? destination : destination.subspan(offset, length);
        const int result = Send(frame, target, length);
        if (result != kDeviceOk)
            return result;
    }
    return kDeviceOk;
}

int DeviceCommands::DeviceBegin()
{
    return Single(CMD_BEGIN, 0, 0);
}

int DeviceCommands::DeviceEnd()
{
    link_.Timer().Sleep(kEndPause);
    return Single(CMD_END, 0, 0);
}

int DeviceCommands::ReadDeviceInfo(std::span<std::uint8_t, kDeviceInfoSize> destination)
{
    return Single(CMD_READ_INFO, kDeviceInfoSize, 0, {}, destination);
}

int DeviceCommands::ReadSettings(
    std::span<std::uint8_t, kPayloadSize> destination, std::uint8_t length, std::uint16_t address)
{
    return Single(CMD_READ_SETTINGS, length, address, {}, destination);
}

int DeviceCommands::WriteSettings(std::span<const std::uint8_t> bytes, std::uint16_t address)
{
    const auto length = static_cast<std::uint8_t>(std::min(bytes.size(), kPayloadSize));
    return Single(CMD_WRITE_SETTINGS, length, address, bytes.first(length));
}

int DeviceCommands::ReadKeyMapBank(std::span<std::uint8_t, kKeyBlockSize> destination, int bank)
{
    if (!ValidBank(bank))
        return kDeviceBadBank;
    return Transfer(CMD_READ_KEYMAP, static_cast<std::uint32_t>(bank) * kKeyBlockSize, {}, destination, kKeyBlockSize);
}

int DeviceCommands::WriteKeyMapBank(std::span<const std::uint8_t, kKeyBlockSize> bytes, int bank)
{
    if (!ValidBank(bank))
        return kDeviceBadBank;
    return Transfer(CMD_WRITE_KEYMAP, static_cast<std::uint32_t>(bank) * kKeyBlockSize, bytes, {}, kKeyBlockSize);
}

int DeviceCommands::ReadMacroArea(std::span<std::uint8_t> destination)
{
    return Transfer(CMD_READ_MACROS, 0, {}, destination, std::min<std::size_t>(destination.size(), 0xFFFF));
}

int DeviceCommands::WriteMacroArea(std::span<const std::uint8_t> bytes)
{
    return Transfer(CMD_WRITE_MACROS, 0, bytes, {}, std::min<std::size_t>(bytes.size(), 0xFFFF));
}

int DeviceCommands::ReadBaseKeyMap(std::span<std::uint8_t, kKeyBlockSize> destination)
{
    return Transfer(CMD_READ_BASE_KEYMAP, 0, {}, destination, kKeyBlockSize);
}

int DeviceCommands::ReadKeyColours(
    std::span<std::uint8_t, kPayloadSize> destination, std::uint8_t length, int firstLed, int profile)
{
    const auto address = static_cast<std::uint16_t>(profile * kColourSlotSize + firstLed * 3);
    return Single(CMD_READ_KEY_COLOURS, length, address, {}, destination);
}

int DeviceCommands::WriteKeyColours(std::span<const std::uint8_t> bytes, int firstLed, int profile)
{
    const auto length = static_cast<std::uint8_t>(std::min(bytes.size(), kPayloadSize));
    const auto address = static_cast<std::uint16_t>(profile * kColourSlotSize + firstLed * 3);
    return Single(CMD_WRITE_KEY_COLOURS, length, address, bytes.first(length));
}

}  // namespace tavrin::device
