// What each lighting control does: from the current state and the user's change, the new state and
// the exact writes to the keyboard's settings area. Only what changed is written; the panel and
// tavrinctl both go through these, so they send the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lighting/lighting_state.h"

namespace tavrin::lighting {

// Bytes for field `field` of the current profile's record (address 35 × profile + field).
struct SettingsWrite {
    int field = 0;
    std::vector<std::uint8_t> bytes;
    bool operator==(const SettingsWrite&) const = default;
};

// Writes sent together; bracketed ones go between the keyboard's begin and end commands.
struct WriteSequence {
    bool bracketed = true;
    std::vector<SettingsWrite> writes;
    bool operator==(const WriteSequence&) const = default;
};

struct ControlOutcome {
    LightingState state;
    std::vector<WriteSequence> sequences;  // empty when nothing is sent
};

// The effect list's choice. An effect number outside 1–19 changes and sends nothing.
ControlOutcome SelectEffect(const LightingState& state, int mode);
// Slider positions 0–24; a position equal to the current one sends nothing.
ControlOutcome MoveBrightness(const LightingState& state, int position);
ControlOutcome MoveSpeed(const LightingState& state, int position);
// kDirectionFirst (left, up, spread) or kDirectionSecond (right, down, gather).
ControlOutcome ChooseDirection(const LightingState& state, std::uint8_t direction);
// A colour chosen for the effect turns the colourful switch off.
ControlOutcome ChooseEffectColour(const LightingState& state, Colour colour);
// The colourful switch (a click sets the opposite of its state).
ControlOutcome SetColourful(const LightingState& state, bool colourful);
// Effect 17's colour: 0 red, 1 yellow, 2 green, 3 blue. Sent even when already chosen.
ControlOutcome ChooseFixedColour(const LightingState& state, int colour);
// Report rate choice 0–3 (the buttons "report1" … "report4").
ControlOutcome ChooseReportRate(const LightingState& state, int choice);
// Ambient light choice 1 or 2: the only write sent without the bracket.
ControlOutcome ChooseAmbient(const LightingState& state, int choice);
ControlOutcome ChooseAmbientColour(const LightingState& state, Colour colour);

// The lighting record's defaults: effect 1 chosen first (with the current colourful byte), then
// the default record written whole. The state becomes what the keyboard then holds.
ControlOutcome RestoreLightingDefaults(const LightingState& state);

// Slider pictures: brightness position v shows "v+1.bmp", speed position v "27+v.bmp".
std::string BrightnessPicture(int position);
std::string SpeedPicture(int position);
constexpr int SpeedPosition(int speed)
{
    return kLevelMax - speed;
}

}  // namespace tavrin::lighting
