// The options of `tavrinctl lighting` and `tavrinctl colours`, checked before anything is sent, and
// the panel's changes they stand for, in the panel's order.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "lighting/lighting_controls.h"
#include "lighting/lighting_modes.h"

namespace tavrin::cli {

// Effect names by number (index 0 is effect 1), from the language file.
using EffectNames = std::array<std::string, lighting::kLastMode>;

struct LightingRequest {
    std::optional<int> profile;  // 0–2
    bool json = false;
    bool listEffects = false;
    std::optional<std::string> effect;  // a name or number, resolved against what the keyboard offers
    std::optional<int> brightness;
    std::optional<int> speed;              // the slider's position, 0–24
    std::optional<std::string> direction;  // left right up down spread gather
    std::optional<lighting::Colour> colour;
    std::optional<bool> colourful;
    std::optional<int> presetColour;  // effect 17: 0 red … 3 blue
    std::optional<int> reportRate;    // choice 0–3
    std::optional<int> ambient;       // 1 or 2
    std::optional<lighting::Colour> ambientColour;

    bool ChangesSomething() const;
};

// Nothing, with the reason in `error`, for an unknown option or a value out of range.
std::optional<LightingRequest> ParseLightingRequest(const std::vector<std::string>& arguments, std::string& error);

// "RRGGBB", with or without a leading '#'.
std::optional<lighting::Colour> ParseHexColour(const std::string& text);
std::string HexColour(lighting::Colour colour);
// 1000, 500, 250 and 125 Hz are the choices 0–3.
std::optional<int> ReportRateChoice(int hertz);
int ReportRateHertz(int choice);
// The effect a name (without regard to case) or number names; nothing when it names none.
std::optional<int> EffectNumber(const std::string& text, const EffectNames& names);
// The direction's word for `mode`: left/right, up/down or spread/gather.
std::string DirectionWord(int mode, std::uint8_t direction);
extern const std::array<const char*, 4> kPresetColourNames;

// The panel's changes that the request stands for, from `state`, checked against what the keyboard
// offers; nothing, with the reason, when a value does not fit the effect.
std::optional<std::vector<lighting::ControlOutcome>> PlanLightingChanges(const LightingRequest& request,
    const lighting::LightingState& state, const lighting::ModeTable& offered, const EffectNames& names,
    std::string& error);

// "KEY=RRGGBB" lines (blank lines and '#' comments skipped) as (button, colour) pairs; nothing, with
// the line at fault, for an unknown key or a bad colour.
struct KeyColourLine {
    int controlId;
    lighting::Colour colour;
};
std::optional<std::vector<KeyColourLine>> ParseKeyColourLines(const std::string& text, std::string& error);
// The name a paintable button goes by in those lines.
std::string KeyColourName(int controlId);

}  // namespace tavrin::cli
