// The layout flip: the top row's keys F1–F4 or D1–D6 take clicks, never both.
#pragma once

#include <array>

namespace tavrin::model {

// F1–F4 and D1–D6, by control identifier.
inline constexpr std::array<int, 4> kFlipFKeyButtons = {1010, 1011, 1012, 1013};
inline constexpr std::array<int, 6> kFlipDKeyButtons = {1016, 1017, 1018, 1019, 1020, 1021};

// Whether a key button is enabled with the flip `flipped` (0 or 1); buttons outside the two groups
// are always enabled.
constexpr bool FlipEnables(int controlId, bool flipped)
{
    for (int id : kFlipFKeyButtons)
        if (id == controlId)
            return !flipped;
    for (int id : kFlipDKeyButtons)
        if (id == controlId)
            return flipped;
    return true;
}

}  // namespace tavrin::model
