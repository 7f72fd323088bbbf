#include "lighting/lighting_device.h"

#include <algorithm>

#include "device/device_identity.h"

namespace tavrin::lighting {
namespace {

using device::kDeviceOk;

// Runs `body` between begin and end; the end is sent whatever the body gave, and the first
// failure wins.
template<typename Body> LightingFailure Bracketed(device::DeviceCommands& commands, Body body)
{
    if (const int begin = commands.DeviceBegin(); begin != kDeviceOk)
        return {begin, "the begin command"};
    LightingFailure failure = body();
    const int end = commands.DeviceEnd();
    if (!failure.Failed() && end != kDeviceOk)
        failure = {end, "the end command"};
    return failure;
}

LightingFailure SendWrites(device::DeviceCommands& commands, int profile, const std::vector<SettingsWrite>& writes)
{
    for (const SettingsWrite& write : writes) {
        const int result = commands.WriteSettings(write.bytes, FieldAddress(profile, write.field));
        if (result != kDeviceOk)
            return {result, "lighting field " + std::to_string(write.field)};
    }
    return {};
}

// What a sequence gives when the keyboard could not be had for it.
const LightingFailure kBusy{device::kDeviceBusy, "any request"};

}  // namespace

std::string LightingFailure::Describe() const
{
    if (!Failed())
        return {};
    return "The keyboard did not take " + step + " (" + device::DeviceResultText(code) + ")";
}

LightingFailure SendSequences(
    device::DeviceCommands& commands, int profile, const std::vector<WriteSequence>& sequences)
{
    device::KeyboardBracket keyboard(commands.Link().Owner());
    if (!keyboard.Held())
        return kBusy;
    for (const WriteSequence& sequence : sequences) {
        const LightingFailure failure = sequence.bracketed
            ? Bracketed(commands, [&] { return SendWrites(commands, profile, sequence.writes); })
            : SendWrites(commands, profile, sequence.writes);
        if (failure.Failed())
            return failure;
    }
    return {};
}

LightingFailure SendPerKey(device::DeviceCommands& commands, int profile, const PerKeyOutcome& outcome)
{
    device::KeyboardBracket keyboard(commands.Link().Owner());
    if (!keyboard.Held())
        return kBusy;
    if (!outcome.colourWrites.empty()) {
        const LightingFailure failure = Bracketed(commands, [&]() -> LightingFailure {
            for (const ColourWrite& write : outcome.colourWrites) {
                const int result = commands.WriteKeyColours(write.bytes, write.firstLed, profile);
                if (result != kDeviceOk)
                    return {result, "the key colours from LED " + std::to_string(write.firstLed)};
            }
            return {};
        });
        if (failure.Failed())
            return failure;
    }
    if (outcome.settingsWrites.empty())
        return {};
    return SendSequences(commands, profile, {{true, outcome.settingsWrites}});
}

LightingFailure ReadLighting(device::DeviceCommands& commands, bool withKeyColours, LightingSnapshot& snapshot)
{
    device::KeyboardBracket keyboard(commands.Link().Owner());
    if (!keyboard.Held())
        return kBusy;
    snapshot.modes.fill(0);
    std::array<std::uint8_t, device::kDeviceInfoSize> identity{};
    if (const int result = commands.ReadDeviceInfo(identity); result != kDeviceOk)
        return {result, "the identity block (the effects it offers)"};
    std::copy_n(identity.begin() + device::kDeviceInfoModesOffset, kModeListSize, snapshot.modes.begin());
    ModeTable table;
    table.Rebuild(snapshot.modes);
    const bool readColours = withKeyColours && table.Offers(kPerKeyMode);

    return Bracketed(commands, [&]() -> LightingFailure {
        LightingFailure failure;
        std::array<std::uint8_t, device::kPayloadSize> reply{};
        if (readColours) {
            for (std::size_t slot = 0; slot < kSlotCount && !failure.Failed(); ++slot)
                for (int chunk = 0; chunk < kChunksRead; ++chunk) {
                    const int result
                        = commands.ReadKeyColours(reply, kChunkBytes, chunk * kLedsPerChunk, static_cast<int>(slot));
                    if (result != kDeviceOk) {
                        failure = {result, "the key colours of slot " + std::to_string(slot)};
                        break;
                    }
                    snapshot.colours.StoreReadChunk(slot, chunk, std::span(reply).first(kChunkBytes));
                }
        }
        if (failure.Failed())
            return failure;
        for (std::size_t profile = 0; profile < device::kProfileCount; ++profile) {
            const auto address = static_cast<std::uint16_t>(profile * device::kSettingsRecordSize);
            const int result = commands.ReadSettings(reply, device::kPayloadSize, address);
            if (result != kDeviceOk)
                return {result, "lighting record " + std::to_string(profile + 1)};
            std::copy_n(reply.begin(), device::kSettingsRecordSize, snapshot.settings.begin() + address);
        }
        return failure;
    });
}

}  // namespace tavrin::lighting
