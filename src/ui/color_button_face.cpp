#include "ui/color_button_face.h"

namespace tavrin::ui {

ColorButtonFace ColorButtonFaceOf(FaceRect button, bool colourSet, bool enabled)
{
    const int width = button.right - button.left;
    const int middle = button.top + (button.bottom - button.top) / 2;
    ColorButtonFace face;
    // The swatch takes the left half of the rectangle grown by one pixel on each side.
    face.colourArea = {button.left - 1, button.top - 1, button.left + width / 2 + 5, button.bottom + 1};
    face.fillColour = colourSet && enabled;
    // The box overlaps the swatch's right edge, so its outline is the border between the two.
    face.dropBox = {button.left + width / 2 + 3, button.top - 2, button.right + 1, button.bottom + 2};
    face.arrow = {FacePoint{button.right - 11, middle - 2}, FacePoint{button.right - 5, middle - 2},
        FacePoint{button.right - 8, middle + 1}};
    return face;
}

}  // namespace tavrin::ui
