#include "lighting/lighting_controls.h"

#include <algorithm>

#include "lighting/lighting_defaults.h"
#include "lighting/lighting_modes.h"

namespace tavrin::lighting {
namespace {

std::vector<std::uint8_t> ColourBytes(Colour c)
{
    return {RedOf(c), GreenOf(c), BlueOf(c)};
}

std::uint8_t Byte(int value)
{
    return static_cast<std::uint8_t>(value);
}

ControlOutcome Bracketed(const LightingState& state, std::vector<SettingsWrite> writes)
{
    return {state, {{true, std::move(writes)}}};
}

bool InLevelRange(int position)
{
    return position >= 0 && position <= kLevelMax;
}

}  // namespace

ControlOutcome SelectEffect(const LightingState& state, int mode)
{
    const std::optional<ModeTraits> traits = TraitsOf(mode);
    if (!traits)
        return {state, {}};
    LightingState next = state;
    next.mode = mode;
    std::vector<SettingsWrite> writes{{field::kMode, {Byte(mode)}}};
    if (traits->sendsColourful)
        writes.push_back({field::kColourful, {Byte(state.colourful ? 1 : 0)}});
    return Bracketed(next, std::move(writes));
}

ControlOutcome MoveBrightness(const LightingState& state, int position)
{
    if (!InLevelRange(position) || position == state.brightness)
        return {state, {}};
    LightingState next = state;
    next.brightness = position;
    return Bracketed(next, {{field::kBrightness, {Byte(position)}}});
}

ControlOutcome MoveSpeed(const LightingState& state, int position)
{
    // The comparison is on the keyboard's value, not on the slider's position.
    if (!InLevelRange(position) || kLevelMax - position == state.speed)
        return {state, {}};
    LightingState next = state;
    next.speed = kLevelMax - position;
    return Bracketed(next, {{field::kSpeed, {Byte(next.speed)}}});
}

ControlOutcome ChooseDirection(const LightingState& state, std::uint8_t direction)
{
    LightingState next = state;
    next.direction = direction;
    return Bracketed(next, {{field::kDirection, {direction}}});
}

ControlOutcome ChooseEffectColour(const LightingState& state, Colour colour)
{
    LightingState next = state;
    next.effectColour = colour & 0xFFFFFF;
    next.colourful = false;
    return Bracketed(next, {{field::kColourful, {0}}, {field::kEffectColour, ColourBytes(next.effectColour)}});
}

ControlOutcome SetColourful(const LightingState& state, bool colourful)
{
    LightingState next = state;
    next.colourful = colourful;
    return Bracketed(next, {{field::kColourful, {Byte(colourful ? 1 : 0)}}});
}

ControlOutcome ChooseFixedColour(const LightingState& state, int colour)
{
    if (colour < 0 || colour >= kFixedColourCount)
        return {state, {}};
    LightingState next = state;
    next.fixedColour = colour;
    return Bracketed(next, {{field::kFixedColour, {Byte(colour)}}});
}

ControlOutcome ChooseReportRate(const LightingState& state, int choice)
{
    if (choice < 0 || choice >= kReportRateCount)
        return {state, {}};
    LightingState next = state;
    next.reportRate = choice;
    return Bracketed(next, {{field::kReportRate, {Byte(choice)}}});
}

ControlOutcome ChooseAmbient(const LightingState& state, int choice)
{
    if (choice != 1 && choice != 2)
        return {state, {}};
    LightingState next = state;
    next.ambientChoice = choice;
    return {next, {{false, {{field::kAmbientChoice, {Byte(choice)}}}}}};
}

ControlOutcome ChooseAmbientColour(const LightingState& state, Colour colour)
{
    LightingState next = state;
    next.ambientColour = colour & 0xFFFFFF;
    return Bracketed(next, {{field::kAmbientColour, ColourBytes(next.ambientColour)}});
}

ControlOutcome RestoreLightingDefaults(const LightingState& state)
{
    ControlOutcome outcome = SelectEffect(state, 1);
    const auto& record = DefaultLightingRecord();
    outcome.sequences.push_back(
        {true, {{static_cast<int>(kDefaultRecordOffset), std::vector<std::uint8_t>(record.begin(), record.end())}}});
    // What the keyboard holds afterwards; the paint colour is the program's own and stays.
    std::array<std::uint8_t, device::kSettingsAreaSize> area{};
    std::copy(record.begin(), record.end(), area.begin() + kDefaultRecordOffset);
    LightingState next = StateFromSettings(area, 0);
    next.paintColour = state.paintColour;
    outcome.state = next;
    return outcome;
}

std::string BrightnessPicture(int position)
{
    return std::to_string(std::clamp(position, 0, kLevelMax) + 1) + ".bmp";
}

std::string SpeedPicture(int position)
{
    return std::to_string(27 + std::clamp(position, 0, kLevelMax)) + ".bmp";
}

}  // namespace tavrin::lighting
