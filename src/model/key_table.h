// Every key's identity and its row in the key table: the key code (scan-code based, with pseudo
// codes for the mouse), the row's list position, English name, name key and device code, and the
// pure functions over them. Constant data only; no state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin::model {

class LanguageTexts;

using KeyCode = std::uint16_t;
using KeyIndex = std::uint16_t;

inline constexpr KeyCode kNoKey = 0x000;
inline constexpr KeyCode kMouseLeft = 0x171;
inline constexpr KeyCode kMouseRight = 0x172;
inline constexpr KeyCode kMouseMiddle = 0x173;
inline constexpr KeyCode kWheelUp = 0x161;
inline constexpr KeyCode kWheelDown = 0x162;

inline constexpr std::size_t kKeyTableRows = 256;
inline constexpr std::size_t kAssignableKeyCount = 138;
inline constexpr std::uint16_t kEmptyListPosition = 0xFFFF;
inline constexpr std::uint16_t kFirstFunctionRow = 0x8001;
inline constexpr std::size_t kNameUnits = 260;  // callers' buffer for a displayed name

struct KeyRow {
    std::uint16_t listPosition = kEmptyListPosition;  // 0-137, 0x8001-0x8012, or empty
    std::string_view englishName;
    std::string_view nameKey;  // "IDS_KEYBOARD_…", empty when the row has none
    std::uint8_t deviceCode = 0;
};

struct Usage {
    std::uint16_t page = 0;
    std::uint16_t id = 0;
    bool operator==(const Usage&) const = default;
};

KeyIndex IndexFromCode(KeyCode code);
KeyCode CodeFromIndex(KeyIndex index);
// Row `index` (0-255); an empty row for anything else.
const KeyRow& KeyTableRow(KeyIndex index);

std::uint16_t ListPositionOfCode(KeyCode code);
// The first row holding that list position, as a key code; 0 when none does.
KeyCode CodeFromListPosition(std::uint16_t position);

// The consumer usage list: device code 0xC0 + n stands for entry n (18 entries, room for 32).
inline constexpr std::size_t kConsumerUsageCount = 18;
std::uint16_t ConsumerUsage(std::size_t entry);

// (0, 0) for a key without device code, (1, code) for 0x81-0x83, (2, code) for 0xF1-0xF8, else
// (7, code).
Usage UsageOfKeyCode(KeyCode code);
// The first row, in index order, whose device code is the usage's: page 7 the usage itself, page 1
// 0x81-0x83, page 12 0xC0 + its entry in the consumer usage list (0 when it has none).
KeyCode KeyCodeOfUsage(std::uint16_t page, std::uint16_t usage);

// Modifier bits of the key map: 01 Ctrl, 02 Shift, 04 Alt, 08 Win, 10 Right Ctrl, 20 Right Shift,
// 40 Right Alt, 80 Right Win.
KeyCode ModifierKeyCode(std::uint8_t bits);   // the lowest set bit's key; 0 when none
std::uint8_t ModifierBitOfKey(KeyCode code);  // 0 for a key that is no modifier

// Displayed name: the language text of the row's name key; when the row has none or the text is
// empty, "IDS_KEYBOARD_UNKNOWN" as a format with the code. Cut to `units` − 1 UTF-16 units.
// The format comes from a language file: only one with a single %d, %u, %x or %X (flags and a width
// of up to three digits allowed) is applied; any other format is shown as it stands.
std::string DisplayedName(KeyCode code, LanguageTexts& texts, std::size_t units = kNameUnits);
// The language text of the name key of the row at that list position; empty when none.
std::string NameAtListPosition(std::uint16_t position, LanguageTexts& texts);

// Key code of a Windows-style keyboard event: the scan code (plus 0x100 when extended) when the
// event carries one, else the virtual-key map; then 054 → 137, 136 → 036, 146 → 045.
KeyCode KeyCodeOfKeyEvent(std::uint8_t virtualKey, std::uint32_t packed);
// The key index the virtual-key map gives, 0 for none.
KeyIndex VirtualKeyIndex(std::uint8_t virtualKey);
// Keys the keyboard reports only on release (the macro recorder adds the press).
bool IsReleaseOnlyKey(KeyCode code);

enum class MouseMessage { Move, LeftDown, LeftUp, RightDown, RightUp, MiddleDown, MiddleUp, Other };
KeyCode KeyCodeOfMouseMessage(MouseMessage message);
bool IsButtonRelease(MouseMessage message);

// The keyboard picture of the main window.
struct KeyButton {
    int controlId;
    KeyCode code;
};
inline constexpr std::size_t kKeyButtonCount = 104;
// The 104 key buttons in the button order (A-Z, 1-9, 0, Enter, … Num +).
const std::array<KeyButton, kKeyButtonCount>& KeyButtonsInOrder();
std::optional<KeyCode> KeyCodeOfButton(int controlId);
// G index 0-8 → control identifier (1000-1004, 1140-1143); nothing for anything else.
inline constexpr std::size_t kGKeyCount = 9;
inline constexpr int kFnButtonId = 1174;
std::optional<int> GButtonId(int gIndex);
std::optional<int> GIndexOfButton(int controlId);
// G code of a G key's record: 0x0301 + g in bank 0, 0x1301 + g in bank 1; 0 for a G index or bank
// out of range.
std::uint16_t GCode(int gIndex, int bank);

}  // namespace tavrin::model
