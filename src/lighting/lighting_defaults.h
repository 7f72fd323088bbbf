// Factory lighting: the lighting record of every profile and the default per-key colours.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tavrin::lighting {

inline constexpr std::size_t kLightingRecordSize = 35;
inline constexpr std::size_t kDefaultRecordOffset = 3;  // the default record covers fields 3 to 34
inline constexpr std::size_t kDefaultRecordSize = 32;
inline constexpr std::size_t kKeyColourTableSize = 512;

// Fields 3 to 34 of a lighting record as the defaults write them.
const std::array<std::uint8_t, kDefaultRecordSize>& DefaultLightingRecord();

// Red, green, blue per LED index at 3 × index; black where not listed.
const std::array<std::uint8_t, kKeyColourTableSize>& DefaultKeyColours();

}  // namespace tavrin::lighting
