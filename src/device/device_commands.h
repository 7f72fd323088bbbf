// The keyboard's command set: reads and writes of its memory areas, each report one transaction.
// Every operation returns a device result code (result_codes.h); multi-report operations stop at
// the first report that fails and return its code, leaving a read's destination filled up to the
// last good chunk.
#pragma once

#include <cstdint>
#include <span>

#include "device/device_link.h"
#include "device/device_memory.h"

namespace tavrin::device {

inline constexpr std::chrono::milliseconds kEndPause{10};

class DeviceCommands {
public:
    explicit DeviceCommands(DeviceLink& link)
        : link_(link)
    {
    }

    // The write bracket. DeviceEnd pauses 10 ms first, so that it leaves at least that long after
    // the last write.
    int DeviceBegin();
    int DeviceEnd();

    int ReadDeviceInfo(std::span<std::uint8_t, kDeviceInfoSize> destination);
    // Copies all 56 reply payload bytes, whatever the length asked for.
    int ReadSettings(std::span<std::uint8_t, kPayloadSize> destination, std::uint8_t length, std::uint16_t address);
    // Up to 56 bytes; the payload is copied only when length > 0.
    int WriteSettings(std::span<const std::uint8_t> bytes, std::uint16_t address);
    int ReadKeyMapBank(std::span<std::uint8_t, kKeyBlockSize> destination, int bank);
    int WriteKeyMapBank(std::span<const std::uint8_t, kKeyBlockSize> bytes, int bank);
    int ReadMacroArea(std::span<std::uint8_t> destination);
    int WriteMacroArea(std::span<const std::uint8_t> bytes);
    int ReadBaseKeyMap(std::span<std::uint8_t, kKeyBlockSize> destination);
    // Colours of `profile` from LED `firstLed` on; copies all 56 reply payload bytes.
    int ReadKeyColours(
        std::span<std::uint8_t, kPayloadSize> destination, std::uint8_t length, int firstLed, int profile);
    // Colour triplets for the profile the main window shows, from LED `firstLed` on (up to 56 bytes).
    int WriteKeyColours(std::span<const std::uint8_t> bytes, int firstLed, int profile);

    DeviceLink& Link() { return link_; }

private:
    // One report: command, length, address and payload; the reply's payload lands in `replyPayload`.
    int Single(std::uint8_t command, std::uint8_t length, std::uint16_t address,
        std::span<const std::uint8_t> payload = {}, std::span<std::uint8_t> replyPayload = {});
    // A transfer of `count` bytes cut into 56-byte reports over one reused frame.
    int Transfer(std::uint8_t command, std::uint32_t baseAddress, std::span<const std::uint8_t> source,
        std::span<std::uint8_t> destination, std::size_t count);
    int Send(DeviceReport& frame, std::span<std::uint8_t> replyPayload, std::size_t copyCount);

    DeviceLink& link_;
};

}  // namespace tavrin::device
