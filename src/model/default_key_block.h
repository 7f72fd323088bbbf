// The keyboard's own default key map, as built into the keyboard and held until the keyboard's
// copy has been read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tavrin::model {

inline constexpr std::size_t kKeyBlockPositions = 126;
inline constexpr std::size_t kKeyBlockEntrySize = 3;
inline constexpr std::size_t kKeyBlockBytes = kKeyBlockPositions * kKeyBlockEntrySize;

using KeyBlockBytes = std::array<std::uint8_t, kKeyBlockBytes>;

// The built-in default: position p at bytes 3p to 3p + 2 (type, b1, b2).
const KeyBlockBytes& BuiltInDefaultKeyBlock();

}  // namespace tavrin::model
