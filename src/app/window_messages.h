// The main window's private messages: numbers and the check values their first parameter must
// carry. A message with any other check value is ignored.
#pragma once

#include <cstdint>

#include "profiles/keyboard_changes.h"

namespace tavrin::app {

inline constexpr std::uint32_t MSG_OPEN = 0x5350;
inline constexpr std::uint32_t MSG_OPEN_CHECK = 0x4F50454E;
inline constexpr std::uint32_t MSG_KILL = 0x4D4B;
inline constexpr std::uint32_t MSG_KILL_CHECK = 0x4C4C494B;
inline constexpr std::uint32_t MSG_INIT = 0x4D4E;
inline constexpr std::uint32_t MSG_INIT_CHECK = 0x494E4954;
inline constexpr std::uint32_t MSG_LANGUAGE = 0x5041;
inline constexpr std::uint32_t MSG_LANGUAGE_CHECK = 0x4C414E47;
inline constexpr std::uint32_t MSG_PROFILE_RELOAD = 0x5452;
inline constexpr std::uint32_t MSG_PROFILE_RELOAD_CHECK = 0x50524F46;
inline constexpr std::uint32_t MSG_DEVICE_REMOVED = 0x4753;  // any check value
inline constexpr std::uint32_t MSG_GKEY_BANK = 0x5045;
inline constexpr std::uint32_t MSG_GKEY_BANK_CHECK = 0x004C4544;
// tavrinctl changed the keyboard; lParam says what (profiles::kChanged…).
inline constexpr std::uint32_t MSG_KEYBOARD_CHANGED = profiles::kKeyboardChangedMessage;
inline constexpr std::uint32_t MSG_KEYBOARD_CHANGED_CHECK = profiles::kKeyboardChangedCheck;

// The window's timers.
inline constexpr int kTimerLightingReload = 1051;
inline constexpr int kTimerProfileChanged = 1054;
inline constexpr int kTimerFullReload = 1055;

// The tag of the main window that a second instance looks for.
inline constexpr std::uint32_t kMainWindowTag = 0x4D41494E;

}  // namespace tavrin::app
