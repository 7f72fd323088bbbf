#include <gtest/gtest.h>

#include "ui/button_state.h"
#include "ui/color_button_face.h"

namespace tavrin::ui {
namespace {

TEST(ButtonLookTest, FirstMatchingStateChoosesPictureAndTextColour)
{
    using P = PictureRole;
    using T = TextColourRole;
    const struct {
        const char* name;
        ButtonState state;  // enabled, alternative, selector, pressed, hover, checked
        ButtonLook expected;
    } cases[] = {
        {"normal", {true, false, 0, false, false, false}, {P::Normal, T::Normal}},
        {"hover", {true, false, 0, false, true, false}, {P::Hover, T::Hover}},
        {"pressed under the mouse", {true, false, 0, true, true, false}, {P::Pressed, T::Pressed}},
        {"checked", {true, false, 0, false, false, true}, {P::Checked, T::Hover}},
        {"checked under the mouse", {true, false, 0, false, true, true}, {P::Hover, T::Hover}},
        {"disabled and checked", {false, false, 0, false, false, true}, {P::Disabled, T::Disabled}},
        {"disabled, pressed, hover", {false, true, 1, true, true, true}, {P::Disabled, T::Disabled}},
        {"alternative first", {true, true, 0, true, true, true}, {P::FirstAlternative, T::Normal}},
        {"alternative second", {true, true, 1, false, false, false}, {P::SecondAlternative, T::Normal}},
        {"alternative, any other selector", {true, true, 7, false, false, false}, {P::SecondAlternative, T::Normal}},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        EXPECT_EQ(ChooseButtonLook(item.state), item.expected);
    }
}

TEST(ButtonLookTest, FrameModeKeepsThePictureShownLast)
{
    const ButtonState hover{true, false, 0, false, true, false};
    const ButtonPaint framed = PlanButtonPaint(hover, true, PictureRole::Normal);
    EXPECT_TRUE(framed.frame);
    EXPECT_EQ(framed.look.picture, PictureRole::Normal) << "the hover picture does not replace it";
    EXPECT_EQ(framed.look.text, TextColourRole::Hover);
    EXPECT_FALSE(framed.normalDrawn);

    EXPECT_EQ(PlanButtonPaint(hover, true, std::nullopt).look.picture, PictureRole::Hover) << "nothing shown yet";
    const ButtonPaint plain = PlanButtonPaint(ButtonState{}, false, PictureRole::Hover);
    EXPECT_FALSE(plain.frame);
    EXPECT_EQ(plain.look.picture, PictureRole::Normal);
    EXPECT_TRUE(plain.normalDrawn);
}

TEST(ButtonLookTest, TextFormatBits)
{
    using H = HorizontalPlace;
    using V = VerticalPlace;
    EXPECT_EQ(TextPlacementOf(kDefaultTextFormat), (TextPlacement{H::Centre, V::Middle, true, false}));
    EXPECT_EQ(TextPlacementOf(0), (TextPlacement{H::Left, V::Top, false, false}));
    EXPECT_EQ(TextPlacementOf(kFormatRight | kFormatBottom | kFormatSingleLine),
        (TextPlacement{H::Right, V::Bottom, true, false}));
    // Vertical placement needs a single line; word breaks need several.
    EXPECT_EQ(TextPlacementOf(kFormatMiddle | kFormatWordBreak), (TextPlacement{H::Left, V::Top, false, true}));
    EXPECT_EQ(TextPlacementOf(kFormatWordBreak | kFormatSingleLine), (TextPlacement{H::Left, V::Top, true, false}));
}

TEST(ColorButtonFaceTest, SwatchDropBoxAndArrow)
{
    const ColorButtonFace face = ColorButtonFaceOf({0, 0, 60, 20}, true, true);
    EXPECT_EQ(face.colourArea, (FaceRect{-1, -1, 35, 21}));
    EXPECT_TRUE(face.fillColour);
    EXPECT_EQ(face.dropBox, (FaceRect{33, -2, 61, 22}));
    EXPECT_EQ(face.arrow[0], (FacePoint{49, 8}));
    EXPECT_EQ(face.arrow[1], (FacePoint{55, 8}));
    EXPECT_EQ(face.arrow[2], (FacePoint{52, 11}));

    const ColorButtonFace moved = ColorButtonFaceOf({10, 4, 70, 24}, true, true);
    EXPECT_EQ(moved.colourArea, (FaceRect{9, 3, 45, 25}));
    EXPECT_EQ(moved.dropBox.left, 43);
    EXPECT_EQ(moved.arrow[2], (FacePoint{62, 15}));

    EXPECT_FALSE(ColorButtonFaceOf({0, 0, 60, 20}, false, true).fillColour) << "unset colour";
    EXPECT_FALSE(ColorButtonFaceOf({0, 0, 60, 20}, true, false).fillColour) << "disabled";
}

}  // namespace
}  // namespace tavrin::ui
