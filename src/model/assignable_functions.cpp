#include "model/assignable_functions.h"

#include <array>

#include "model/language_texts.h"

namespace tavrin::model {
namespace {

constexpr std::array<MediaFunctionEntry, kMediaFunctionCount> kMediaFunctions = {{
    {0x16D, 0x183},  // Media Player
    {0x122, 0x0CD},  // Play/Pause
    {0x124, 0x0B7},  // Stop Play
    {0x110, 0x0B6},  // Prev Track
    {0x119, 0x0B5},  // Next Track
    {0x12E, 0x0EA},  // V-
    {0x130, 0x0E9},  // V+
    {0x120, 0x0E2},  // Mute
    {0x132, 0x223},  // WWW Home
    {0x167, 0x227},  // WWW Refresh
    {0x168, 0x226},  // WWW Stop
    {0x16A, 0x224},  // WWW Back
    {0x169, 0x225},  // WWW Forward
    {0x166, 0x22A},  // WWW Favorite
    {0x165, 0x221},  // WWW Search
    {0x16B, 0x194},  // My PC
    {0x121, 0x192},  // Calc
    {0x16C, 0x18A},  // Mail
}};

// The pairing is deliberate and must stay: position 1 (the right button) is labelled by
// "IDS_MOUSE_MID" and position 2 (the middle button) by "IDS_MOUSE_RIGHT".
constexpr std::array<MouseFunctionEntry, kMouseFunctionCount> kMouseFunctions = {{
    {kMouseLeft, "IDS_MOUSE_LEFT"},
    {kMouseRight, "IDS_MOUSE_MID"},
    {kMouseMiddle, "IDS_MOUSE_RIGHT"},
    {kWheelUp, "IDS_ROLL_UP"},
    {kWheelDown, "IDS_ROLL_DOWN"},
}};

constexpr std::array<std::string_view, kFunctionKeyCount> kFunctionKeyNames = {
    "IDS_COMPOSITE_FUNC_KEY_OPEN",
    "IDS_COMPOSITE_FUNC_KEY_NEW",
    "IDS_COMPOSITE_FUNC_KEY_UNDO",
    "IDS_COMPOSITE_FUNC_KEY_SAVE",
    "IDS_COMPOSITE_FUNC_KEY_COPY",
    "IDS_COMPOSITE_FUNC_KEY_CUT",
    "IDS_COMPOSITE_FUNC_KEY_PASTE",
    "IDS_COMPOSITE_FUNC_KEY_FIND",
    "IDS_COMPOSITE_FUNC_KEY_SELECT_ALL",
    "IDS_COMPOSITE_FUNC_KEY_ZOOMOUT",
    "IDS_COMPOSITE_FUNC_KEY_ZOOMIN",
};

template<typename Entry, std::size_t Count> std::optional<Entry> EntryAt(const std::array<Entry, Count>& list, int n)
{
    if (n < 0 || static_cast<std::size_t>(n) >= Count)
        return std::nullopt;
    return list[static_cast<std::size_t>(n)];
}

}  // namespace

std::optional<MediaFunctionEntry> MediaFunction(int n)
{
    return EntryAt(kMediaFunctions, n);
}

std::optional<int> MediaIndexOfUsage(std::uint16_t usage)
{
    for (std::size_t n = 0; n < kMediaFunctions.size(); ++n)
        if (kMediaFunctions[n].usage == usage)
            return static_cast<int>(n);
    return std::nullopt;
}

std::optional<MouseFunctionEntry> MouseFunction(int n)
{
    return EntryAt(kMouseFunctions, n);
}

std::optional<int> MouseIndexOfCode(KeyCode code)
{
    for (std::size_t n = 0; n < kMouseFunctions.size(); ++n)
        if (kMouseFunctions[n].code == code)
            return static_cast<int>(n);
    return std::nullopt;
}

std::optional<std::string_view> FunctionKeyName(int n)
{
    return EntryAt(kFunctionKeyNames, n);
}

std::vector<std::string> MediaFunctionNames(LanguageTexts& texts)
{
    std::vector<std::string> names;
    for (const MediaFunctionEntry& entry : kMediaFunctions)
        names.push_back(DisplayedName(entry.code, texts));
    return names;
}

std::vector<std::string> MouseFunctionNames(LanguageTexts& texts)
{
    std::vector<std::string> names;
    for (const MouseFunctionEntry& entry : kMouseFunctions)
        names.push_back(texts.Text(entry.nameKey));
    return names;
}

std::vector<std::string> FunctionKeyNames(LanguageTexts& texts)
{
    std::vector<std::string> names;
    for (std::string_view key : kFunctionKeyNames)
        names.push_back(texts.Text(key));
    return names;
}

}  // namespace tavrin::model
