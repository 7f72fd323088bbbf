// The face of the skinned colour-picker button: a colour swatch on the left and a grey drop box with
// a black arrow on the right. Plain geometry; the button only paints it.
#pragma once

#include <array>

namespace tavrin::ui {

// Rectangles as the platform gives them: right and bottom lie just outside.
struct FaceRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const FaceRect&) const = default;
};

struct FacePoint {
    int x = 0;
    int y = 0;
    bool operator==(const FacePoint&) const = default;
};

struct ColorButtonFace {
    FaceRect colourArea;  // framed; filled with the colour when `fillColour`
    bool fillColour = false;
    FaceRect dropBox;                  // outlined, filled grey
    std::array<FacePoint, 3> arrow{};  // filled black
};

// The drop box's grey: red 148, green 146, blue 139.
inline constexpr unsigned kDropBoxGrey = 0x008B9294;

// `colourSet` is false for the unset colour (−1).
ColorButtonFace ColorButtonFaceOf(FaceRect button, bool colourSet, bool enabled);

}  // namespace tavrin::ui
