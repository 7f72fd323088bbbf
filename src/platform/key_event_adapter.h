// Turns a key event of the Linux desktop into the Windows-style keystroke the key table reads: a
// virtual-key code and the packed keystroke word, whose scan code is the key's scan code set 1 make
// code with the E0 prefix as the extended flag. The scan code comes from the XKB keycode (the evdev
// code + 8, which Qt reports as the native scan code under XCB and Wayland); a key that has none is
// mapped from its Qt key to a virtual-key code alone.
#pragma once

#include <cstdint>
#include <optional>

namespace tavrin::platform {

inline constexpr std::uint32_t kXkbKeycodeOffset = 8;

// The packed keystroke word.
inline constexpr std::uint32_t kRepeatCountMask = 0x0000FFFF;
inline constexpr unsigned kScanCodeShift = 16;
inline constexpr std::uint32_t kExtendedFlag = 1u << 24;
inline constexpr std::uint32_t kPreviousStateFlag = 1u << 30;  // the key was down: set on auto-repeat and release
inline constexpr std::uint32_t kTransitionFlag = 1u << 31;     // set on release

// Virtual-key code of a key that has a scan code but no virtual key of its own (Power, Wake).
inline constexpr std::uint8_t kNoVirtualKey = 0xFF;

struct LinuxKeyEvent {
    std::uint32_t xkbKeycode = 0;  // evdev code + 8; 0 when the platform gives none
    bool release = false;
    bool autoRepeat = false;
    std::uint32_t qtKey = 0;  // the Qt::Key value, used when the keycode has no scan code
    bool keypad = false;      // Qt::KeypadModifier was set
};

struct WindowsKeyEvent {
    std::uint8_t virtualKey = 0;
    std::uint32_t packed = 0;
    bool release = false;

    bool operator==(const WindowsKeyEvent&) const = default;
};

struct ScanCode {
    std::uint8_t code = 0;  // set 1 make code without the prefix
    bool extended = false;  // the make code carries the E0 prefix
    std::uint8_t virtualKey = kNoVirtualKey;

    bool operator==(const ScanCode&) const = default;
};

// The set 1 make code and virtual key of an evdev key; nothing for a key a PC keyboard does not
// report by scan code.
std::optional<ScanCode> ScanCodeOfEvdevKey(std::uint32_t evdevCode);

// The virtual-key code of a Qt key (with the keypad modifier for keypad keys); 0 for none.
std::uint8_t VirtualKeyOfQtKey(std::uint32_t qtKey, bool keypad);

// The packed word of one keystroke: a repeat count of 1, the scan code and extended flag, the
// previous-state flag on auto-repeat and release, the transition flag on release.
std::uint32_t PackKeystroke(std::uint8_t scanCode, bool extended, bool release, bool autoRepeat);

// The Windows-style event for `event`: by scan code when the keycode has one, else by the Qt key's
// virtual-key code with no scan code. Nothing when neither names a key, and nothing for the release
// half of an auto-repeat, which a Windows keyboard does not send (it repeats presses only).
std::optional<WindowsKeyEvent> ToWindowsKeyEvent(const LinuxKeyEvent& event);

}  // namespace tavrin::platform
