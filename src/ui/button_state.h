// Which picture and text colour an image button shows, and where its text sits: plain rules over
// the button's state, so the button class only copies pictures.
#pragma once

#include <cstdint>
#include <optional>

namespace tavrin::ui {

struct ButtonState {
    bool enabled = true;
    bool alternative = false;  // alternative picture mode
    int selector = 0;          // which alternative picture: 0 the first, anything else the second
    bool pressed = false;
    bool hover = false;
    bool checked = false;
};

enum class PictureRole { Normal, Hover, Pressed, Disabled, Checked, FirstAlternative, SecondAlternative };
enum class TextColourRole { Normal, Hover, Pressed, Disabled };

struct ButtonLook {
    PictureRole picture = PictureRole::Normal;
    TextColourRole text = TextColourRole::Normal;
    bool operator==(const ButtonLook&) const = default;
};

// First match wins: disabled, alternative, pressed, hover, checked, normal.
ButtonLook ChooseButtonLook(const ButtonState& state);

// One redraw. With the frame colour mode on, the button keeps the picture it showed last (or, before
// its first redraw, the one its state chooses) and draws the frame over it.
struct ButtonPaint {
    ButtonLook look;
    bool frame = false;
    // For the after-paint callback: the normal picture was copied by this redraw.
    bool normalDrawn = false;
};
ButtonPaint PlanButtonPaint(const ButtonState& state, bool frameMode, std::optional<PictureRole> lastPicture);

// The text layout bits of the platform's draw-text format that a button's text style carries.
inline constexpr std::uint32_t kFormatCentre = 0x01;
inline constexpr std::uint32_t kFormatRight = 0x02;
inline constexpr std::uint32_t kFormatMiddle = 0x04;
inline constexpr std::uint32_t kFormatBottom = 0x08;
inline constexpr std::uint32_t kFormatWordBreak = 0x10;
inline constexpr std::uint32_t kFormatSingleLine = 0x20;
inline constexpr std::uint32_t kDefaultTextFormat = kFormatCentre | kFormatMiddle | kFormatSingleLine;  // 37

enum class HorizontalPlace { Left, Centre, Right };
enum class VerticalPlace { Top, Middle, Bottom };
struct TextPlacement {
    HorizontalPlace horizontal = HorizontalPlace::Left;
    VerticalPlace vertical = VerticalPlace::Top;
    bool singleLine = false;
    bool wordBreak = false;
    bool operator==(const TextPlacement&) const = default;
};
// Vertical placement applies to single-line text only, as the platform does it.
TextPlacement TextPlacementOf(std::uint32_t format);

}  // namespace tavrin::ui
