#include "firmware.h"

#include <algorithm>

namespace tolvex::emu {
namespace {

Report Normalise(std::span<const std::uint8_t> request)
{
    Report frame{};
    std::copy_n(request.begin(), std::min(request.size(), frame.size()), frame.begin());
    return frame;
}

// The reply echoes the request's command, length and address; the data and the sum come after.
Report MakeReply(const Report& request, std::uint8_t status)
{
    Report reply{};
    reply[kAtReportId] = kControlReportId;
    std::copy(request.begin() + kAtCommand, request.begin() + kAtStatus, reply.begin() + kAtCommand);
    reply[kAtStatus] = status;
    return reply;
}

}  // namespace

Report Firmware::ErrorReply(std::span<const std::uint8_t> request, std::uint8_t status)
{
    Report reply = MakeReply(Normalise(request), status);
    SealReport(reply);
    return reply;
}

std::span<std::uint8_t> Firmware::Area(Opcode command)
{
    switch (command) {
    case Opcode::ReadSettings:
    case Opcode::WriteSettings:
        return memory_.settings;
    case Opcode::ReadKeyMaps:
    case Opcode::WriteKeyMaps:
        return {memory_.keymaps.front().data(), kKeyMapsBytes};
    case Opcode::ReadMacros:
    case Opcode::WriteMacros:
        return memory_.macros;
    case Opcode::ReadBaseKeyMap:
        return memory_.baseKeymap;
    case Opcode::ReadColours:
    case Opcode::WriteColours:
        return {memory_.colours.front().data(), kColoursBytes};
    default:
        return {};
    }
}

Firmware::Outcome Firmware::HandleControl(std::span<const std::uint8_t> request)
{
    static_assert(sizeof(KeyboardMemory::keymaps) == kKeyMapsBytes, "banks lie back to back");
    static_assert(sizeof(KeyboardMemory::colours) == kColoursBytes, "tables lie back to back");

    const Report frame = Normalise(request);
    Outcome outcome;
    if (ReportSum(frame) != CarriedSum(frame)) {
        outcome.reply = ErrorReply(frame, kStatusRefused);
        return outcome;
    }
    const auto command = static_cast<Opcode>(frame[kAtCommand]);
    const std::size_t length = frame[kAtLength];
    const std::size_t address = ReportAddress(frame);
    Report reply = MakeReply(frame, kStatusOk);
    const auto data = reply.begin() + kAtData;

    switch (command) {
    case Opcode::Begin:
    case Opcode::End:
        break;
    case Opcode::ReadInfo:
        reply[kAtLength] = static_cast<std::uint8_t>(kInfoBytes);
        std::copy(memory_.info.begin(), memory_.info.end(), data);
        break;
    case Opcode::ReadSettings:
    case Opcode::ReadKeyMaps:
    case Opcode::ReadMacros:
    case Opcode::ReadBaseKeyMap:
    case Opcode::ReadColours: {
        const std::span<std::uint8_t> area = Area(command);
        if (length > kReportDataBytes || address >= area.size()) {
            reply[kAtStatus] = kStatusOutOfArea;
            break;
        }
        const std::size_t available = std::min(length, area.size() - address);
        std::copy_n(area.begin() + static_cast<std::ptrdiff_t>(address), available, data);
        break;
    }
    case Opcode::WriteSettings:
    case Opcode::WriteKeyMaps:
    case Opcode::WriteMacros:
    case Opcode::WriteColours: {
        const std::span<std::uint8_t> area = Area(command);
        if (length > kReportDataBytes || address + length > area.size()) {
            reply[kAtStatus] = kStatusOutOfArea;
            break;
        }
        auto target = area.begin() + static_cast<std::ptrdiff_t>(address);
        const auto source = frame.begin() + kAtData;
        outcome.memoryChanged = !std::equal(source, source + static_cast<std::ptrdiff_t>(length), target);
        std::copy_n(source, length, target);
        break;
    }
    default:
        reply[kAtStatus] = kStatusRefused;
        break;
    }
    SealReport(reply);
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
    memory_.settings[kActiveProfileAt] = profile;
}

void Firmware::StepEffect()
{
    constexpr std::size_t kRecordBytes = 35;
    constexpr std::size_t kEffectField = 3;
    const std::uint8_t profile = memory_.settings[kActiveProfileAt];
    if (profile > 2)
        return;
    std::vector<std::uint8_t> offered;
    for (std::size_t i = 0; i < kInfoModeSlots; ++i)
        if (const std::uint8_t mode = memory_.info[kInfoModesAt + i]; mode != 0)
            offered.push_back(mode);
    if (offered.empty())
        return;
    std::uint8_t& effect = memory_.settings[profile * kRecordBytes + kEffectField];
    const auto current = std::find(offered.begin(), offered.end(), effect);
    effect = current == offered.end() || current + 1 == offered.end() ? offered.front() : *(current + 1);
}

}  // namespace tolvex::emu
