#include "firmware.h"

#include <algorithm>

namespace tolvex::emu {

using namespace tavrin::device;

namespace {

Report Normalise(std::span<const std::uint8_t> request)
{
    Report frame{};
    std::copy_n(request.begin(), std::min(request.size(), frame.size()), frame.begin());
    return frame;
}

Report MakeReply(const Report& request, std::uint8_t status)
{
    Report reply{};
    reply[0] = kReportId;
    reply[3] = request[3];
    reply[4] = request[4];
    reply[5] = request[5];
    reply[6] = request[6];
    reply[7] = status;
    return reply;
}

void Seal(Report& reply)
{
    ComputeReportChecksum(reply);
}

}  // namespace

Report Firmware::ErrorReply(std::span<const std::uint8_t> request, std::uint8_t status)
{
    Report reply = MakeReply(Normalise(request), status);
    Seal(reply);
    return reply;
}

std::span<std::uint8_t> Firmware::Area(std::uint8_t command)
{
    switch (command) {
    case CMD_READ_SETTINGS:
    case CMD_WRITE_SETTINGS:
        return memory_.settings;
    case CMD_READ_KEYMAP:
    case CMD_WRITE_KEYMAP:
        return {memory_.keymaps.front().data(), kKeyMapAreaSize};
    case CMD_READ_MACROS:
    case CMD_WRITE_MACROS:
        return memory_.macros;
    case CMD_READ_BASE_KEYMAP:
        return memory_.baseKeymap;
    case CMD_READ_KEY_COLOURS:
    case CMD_WRITE_KEY_COLOURS:
        return {memory_.colours.front().data(), kColourAreaSize};
    default:
        return {};
    }
}

Firmware::Outcome Firmware::HandleControl(std::span<const std::uint8_t> request)
{
    static_assert(sizeof(KeyboardMemory::keymaps) == kKeyMapAreaSize, "banks lie back to back");
    static_assert(sizeof(KeyboardMemory::colours) == kColourAreaSize, "slots lie back to back");

    const Report frame = Normalise(request);
    Outcome outcome;
    if (SumReportBytes(frame) != static_cast<std::uint16_t>(frame[1] | (frame[2] << 8))) {
        outcome.reply = ErrorReply(frame, kStatusDeviceError);
        return outcome;
    }
    const std::uint8_t command = frame[3];
    const std::size_t length = frame[4];
    const std::size_t address = static_cast<std::size_t>(frame[5] | (frame[6] << 8));
    Report reply = MakeReply(frame, kStatusOk);

    switch (command) {
    case CMD_BEGIN:
    case CMD_END:
        break;
    case CMD_READ_INFO:
        reply[4] = static_cast<std::uint8_t>(kDeviceInfoSize);
        std::copy(memory_.info.begin(), memory_.info.end(), reply.begin() + 8);
        break;
    case CMD_READ_SETTINGS:
    case CMD_READ_KEYMAP:
    case CMD_READ_MACROS:
    case CMD_READ_BASE_KEYMAP:
    case CMD_READ_KEY_COLOURS: {
        const std::span<std::uint8_t> area = Area(command);
        if (length > kPayloadSize || address >= area.size()) {
            reply[7] = kStatusOutOfRange;
            break;
        }
        const std::size_t available = std::min(length, area.size() - address);
        std::copy_n(area.begin() + static_cast<std::ptrdiff_t>(address), available, reply.begin() + 8);
        break;
    }
    case CMD_WRITE_SETTINGS:
    case CMD_WRITE_KEYMAP:
    case CMD_WRITE_MACROS:
    case CMD_WRITE_KEY_COLOURS: {
        const std::span<std::uint8_t> area = Area(command);
        if (length > kPayloadSize || address + length > area.size()) {
            reply[7] = kStatusOutOfRange;
            break;
        }
        auto target = area.begin() + static_cast<std::ptrdiff_t>(address);
        const auto source = frame.begin() + 8;
        outcome.memoryChanged = !std::equal(source, source + static_cast<std::ptrdiff_t>(length), target);
        std::copy_n(source, length, target);
        break;
    }
    default:
        reply[7] = kStatusDeviceError;
        break;
    }
    Seal(reply);
    outcome.reply = reply;
    return outcome;
}

bool Firmware::WriteBankStatus(std::span<const std::uint8_t> report)
{
    if (report.size() < 2 || report[0] != kBankStatusReportId)
        return false;
    memory_.bankStatus = {report[0], report[1]};
    return true;
}

void Firmware::SetActiveProfile(std::uint8_t profile)
{
    memory_.settings[kActiveProfileAddress] = profile;
}

}  // namespace tolvex::emu
