#include "lighting/lighting_state.h"

#include <algorithm>

namespace tavrin::lighting {

Colour ColourAt(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    if (offset > bytes.size() || bytes.size() - offset < 3)
        return 0;
    return RgbColour(bytes[offset], bytes[offset + 1], bytes[offset + 2]);
}

LightingState StateFromSettings(SettingsArea area, int profile)
{
    LightingState state;
    if (profile < 0 || profile >= static_cast<int>(device::kProfileCount))
        return state;
    const std::span<const std::uint8_t> record
        = area.subspan(static_cast<std::size_t>(profile) * device::kSettingsRecordSize, device::kSettingsRecordSize);
    const auto byte = [&](int n) { return static_cast<int>(record[static_cast<std::size_t>(n)]); };
    state.mode = byte(field::kMode);
    // A slider cannot show more than its last position, nor the lists more than their entries.
    state.brightness = std::min(byte(field::kBrightness), kLevelMax);
    state.speed = std::min(byte(field::kSpeed), kLevelMax);
    state.direction = static_cast<std::uint8_t>(byte(field::kDirection));
    state.colourful = byte(field::kColourful) != 0;
    state.effectColour = ColourAt(record, field::kEffectColour);
    state.baseColour = ColourAt(record, field::kBaseColour);
    state.paintColour = ColourAt(record, field::kPaintColour);
    state.reportRate = std::min(byte(field::kReportRate), kReportRateCount - 1);
    state.fixedColour = std::min(byte(field::kFixedColour), kFixedColourCount - 1);
    state.ambientChoice = std::clamp(byte(field::kAmbientChoice), 1, 2);
    state.ambientColour = ColourAt(record, field::kAmbientColour);
    return state;
}

}  // namespace tavrin::lighting
