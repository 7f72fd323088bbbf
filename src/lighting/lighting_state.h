// One profile's lighting as the main window edits it: the lighting record's fields, taken from the
// keyboard's settings area (three records of 35 bytes, one per profile).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/device_memory.h"

namespace tavrin::lighting {

// 0x00BBGGRR: red in the low byte.
using Colour = std::uint32_t;

constexpr Colour RgbColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return static_cast<Colour>(red) | static_cast<Colour>(green) << 8 | static_cast<Colour>(blue) << 16;
}
constexpr std::uint8_t RedOf(Colour c)
{
    return static_cast<std::uint8_t>(c & 0xFF);
}
constexpr std::uint8_t GreenOf(Colour c)
{
    return static_cast<std::uint8_t>(c >> 8 & 0xFF);
}
constexpr std::uint8_t BlueOf(Colour c)
{
    return static_cast<std::uint8_t>(c >> 16 & 0xFF);
}

// Fields of a lighting record: field n of profile p lives at device address 35 × p + n.
namespace field {
inline constexpr int kMode = 3;
inline constexpr int kBrightness = 4;
inline constexpr int kSpeed = 5;
inline constexpr int kDirection = 6;
inline constexpr int kColourful = 7;
inline constexpr int kEffectColour = 8;  // three bytes
inline constexpr int kBaseColour = 12;   // three bytes
inline constexpr int kPaintColour = 15;  // three bytes, only read
inline constexpr int kReportRate = 18;
inline constexpr int kFixedColour = 20;
inline constexpr int kAmbientChoice = 21;
inline constexpr int kAmbientColour = 22;  // three bytes
}  // namespace field

inline constexpr int kLevelMax = 24;  // brightness and speed run 0–24
inline constexpr std::uint8_t kDirectionFirst = 0xFF;
inline constexpr std::uint8_t kDirectionSecond = 0x00;
inline constexpr int kReportRateCount = 4;
inline constexpr int kFixedColourCount = 4;

using SettingsArea = std::span<const std::uint8_t, device::kSettingsAreaSize>;

constexpr std::uint16_t FieldAddress(int profile, int n)
{
    return static_cast<std::uint16_t>(static_cast<int>(device::kSettingsRecordSize) * profile + n);
}

struct LightingState {
    int mode = 1;
    int brightness = 24;
    int speed = 3;  // the keyboard's value; the slider shows 24 − speed
    std::uint8_t direction = kDirectionSecond;
    bool colourful = true;
    Colour effectColour = RgbColour(0, 255, 0);
    Colour baseColour = 0;
    Colour paintColour = 0;
    int reportRate = 0;
    int fixedColour = 0;
    int ambientChoice = 2;
    Colour ambientColour = RgbColour(255, 0, 0);

    bool operator==(const LightingState&) const = default;
};

// The record of `profile` (0–2) in the settings area, its values brought into the ranges the
// controls can show.
LightingState StateFromSettings(SettingsArea area, int profile);

// The colour of three bytes at `offset` (red first); 0 when they do not fit.
Colour ColourAt(std::span<const std::uint8_t> bytes, std::size_t offset);

}  // namespace tavrin::lighting
