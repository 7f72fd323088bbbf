// Drawing a lighting frame on the keyboard picture: each lit button's frame colour, or its normal
// look. A button repaints only when what it shows changes.
#pragma once

#include <array>
#include <cstddef>

#include "lighting/key_colours.h"
#include "lighting/lighting_preview.h"

namespace tavrin::ui {
class CPngButton;
}

namespace tavrin::app {

inline constexpr int kPreviewTransparency = 50;

using LitButtonWidgets = std::array<ui::CPngButton*, lighting::kLitButtonCount>;  // null where none

// `colours` and `slot` give the per-key colours a frame of effect 19 shows.
void DrawPreviewFrame(const LitButtonWidgets& buttons, const lighting::PreviewFrame& frame,
    const lighting::KeyColours& colours, std::size_t slot);

}  // namespace tavrin::app
