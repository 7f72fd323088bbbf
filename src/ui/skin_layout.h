// Where a skin file puts a control: the "x,y,w,h" values of section "BUTTONINFO", the arrow picture
// offsets of "BUTTONINFO2", and the four ways a window applies a value to a control. Plain logic;
// the windows only move their widgets to the result.
#pragma once

#include <string>
#include <string_view>

#include "model/key_table.h"

namespace tavrin::ui {

inline constexpr const char* kPlacementSection = "BUTTONINFO";
inline constexpr const char* kArrowOffsetSection = "BUTTONINFO2";
inline constexpr const char* kScreenSection = "SCREEN";
// What a missing key reads as: position (1, 1), size 1 × 1, which hides the control in practice.
inline constexpr const char* kMissingPlacement = "1,1,1,1,x";
// No screen is larger; a number beyond it is garbage, not a place.
inline constexpr int kCoordinateLimit = 32767;

struct SkinRect {
    int x = 1;
    int y = 1;
    int width = 1;
    int height = 1;
    bool operator==(const SkinRect&) const = default;
};

// Reads a value as "%d,%d,%d,%d" reads it: a number may follow blanks, a comma must follow a number
// directly, and whatever follows the fourth number is ignored. Numbers the value does not give keep
// the missing-key value 1 ("10,20" places at (10, 20) with size 1 × 1). A value with a negative size
// or a number beyond kCoordinateLimit is garbage and reads as the missing-key value as a whole.
SkinRect ParseSkinRect(std::string_view text);

enum class PlacingRule {
    ImageButton,  // move and size, picture offset (x, y); disabled at (1, 1)
    Plain,        // move and size
    MoveOnly,     // move, keep the size
    TwoKeys,      // move and size from one key, picture offset from a key of "BUTTONINFO2"
};

struct Placement {
    int x = 1;
    int y = 1;
    bool resize = true;
    int width = 1;
    int height = 1;
    bool hasPictureOffset = false;
    int offsetX = 0;
    int offsetY = 0;
    bool disable = false;
    bool operator==(const Placement&) const = default;
};

// `value` is the key's text in "BUTTONINFO"; `offsetValue` the second key's text (rule TwoKeys only).
Placement PlaceByRule(PlacingRule rule, std::string_view value, std::string_view offsetValue = kMissingPlacement);

// A key's text, cut to the 260-unit buffer of the platform's profile strings; the missing-key
// value when the file or the key is missing.
std::string ReadPlacementValue(const std::string& file, std::string_view section, std::string_view key);

// "Main" (empty when missing) and "Mask" (the value of "Main" when missing) of section "SCREEN".
struct ScreenPictures {
    std::string main;
    std::string mask;
};
ScreenPictures ReadScreenPictures(const std::string& file);
// "Link" of section "SCREEN", `fallback` when missing.
std::string ReadSkinLink(const std::string& file, std::string_view fallback);

// Skin keys formed from numbers.
std::string KeyButtonSkinKey(model::KeyIndex index);  // "KEY_%03X"
std::string GButtonSkinKey(int number);               // "FUNC_G%d", 1–9
enum class ArrowSide { Left, Right };
// "UP_ARROW_LEFT1" … "DOWN_ARROW_RIGHT2": the set by direction, the number by blink phase (1 or 2).
std::string ArrowOffsetKey(ArrowSide side, bool up, int phase);

}  // namespace tavrin::ui
