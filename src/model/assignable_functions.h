// The fixed lists a key can be assigned from besides another key: media functions (sent as consumer
// usages), mouse actions (stored as their key codes) and function keys. A key record stores the
// list position (media, function keys) or the key code (mouse).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/key_table.h"

namespace tavrin::model {

class LanguageTexts;

// Named by the displayed name of the key code.
struct MediaFunctionEntry {
    KeyCode code;
    std::uint16_t usage;  // HID Consumer page
};
inline constexpr std::size_t kMediaFunctionCount = 18;
std::optional<MediaFunctionEntry> MediaFunction(int n);
// The first entry sending `usage`; nothing for a usage the list does not hold.
std::optional<int> MediaIndexOfUsage(std::uint16_t usage);

// Named by the language text of the name key.
struct MouseFunctionEntry {
    KeyCode code;
    std::string_view nameKey;
};
inline constexpr std::size_t kMouseFunctionCount = 5;
// The first three entries (left, right, middle button) are also the mouse clicks a macro offers.
inline constexpr std::size_t kMouseButtonCount = 3;
std::optional<MouseFunctionEntry> MouseFunction(int n);
// The entry whose key code is `code`, for showing a stored mouse assignment.
std::optional<int> MouseIndexOfCode(KeyCode code);

inline constexpr std::size_t kFunctionKeyCount = 11;
// The name key of function key n; its language text is the name.
std::optional<std::string_view> FunctionKeyName(int n);

// The names of each list in list order, as the drop-down lists show them.
std::vector<std::string> MediaFunctionNames(LanguageTexts& texts);
std::vector<std::string> MouseFunctionNames(LanguageTexts& texts);
std::vector<std::string> FunctionKeyNames(LanguageTexts& texts);

}  // namespace tavrin::model
