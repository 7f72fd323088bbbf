#include "ui/button_state.h"

namespace tavrin::ui {

ButtonLook ChooseButtonLook(const ButtonState& state)
{
    if (!state.enabled)
        return {PictureRole::Disabled, TextColourRole::Disabled};
    if (state.alternative)
        return {state.selector == 0 ? PictureRole::FirstAlternative : PictureRole::SecondAlternative,
            TextColourRole::Normal};
    if (state.pressed)
        return {PictureRole::Pressed, TextColourRole::Pressed};
    if (state.hover)
        return {PictureRole::Hover, TextColourRole::Hover};
    if (state.checked)
        return {PictureRole::Checked, TextColourRole::Hover};
    return {PictureRole::Normal, TextColourRole::Normal};
}

ButtonPaint PlanButtonPaint(const ButtonState& state, bool frameMode, std::optional<PictureRole> lastPicture)
{
    ButtonPaint paint{ChooseButtonLook(state), frameMode, false};
    if (frameMode && lastPicture)
        paint.look.picture = *lastPicture;
    paint.normalDrawn = !frameMode && paint.look.picture == PictureRole::Normal;
    return paint;
}

TextPlacement TextPlacementOf(std::uint32_t format)
{
    TextPlacement placement;
    if (format & kFormatCentre)
        placement.horizontal = HorizontalPlace::Centre;
    else if (format & kFormatRight)
        placement.horizontal = HorizontalPlace::Right;
    placement.singleLine = (format & kFormatSingleLine) != 0;
    placement.wordBreak = !placement.singleLine && (format & kFormatWordBreak) != 0;
    if (placement.singleLine) {
        if (format & kFormatMiddle)
            placement.vertical = VerticalPlace::Middle;
        else if (format & kFormatBottom)
            placement.vertical = VerticalPlace::Bottom;
    }
    return placement;
}

}  // namespace tavrin::ui
