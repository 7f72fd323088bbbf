// What tavrinctl tells the running program after it changed the keyboard, and what the program
// then reads again. The notice is a message on the program's single-instance channel whose last
// parameter says what changed; the program re-reads that part as it does when the keyboard itself
// reports a change, and never replaces unapplied edits without asking.
#pragma once

#include <cstdint>
#include <optional>

#include "model/user_messages.h"

namespace tavrin::profiles {

// The single-instance lock and channel of the program, in the user's private runtime folder.
inline constexpr const char* kInstanceMutexName = "Tavrin_Mutex_R2T";

// The notice: its message number and the check value its first parameter carries.
inline constexpr std::uint32_t kKeyboardChangedMessage = 0x4B43;
inline constexpr std::uint32_t kKeyboardChangedCheck = 0x4348474B;

// What changed, as a bit mask.
inline constexpr std::uint32_t kChangedActiveProfile = 1;
inline constexpr std::uint32_t kChangedProfiles = 2;  // key maps and macros
inline constexpr std::uint32_t kChangedLighting = 4;
inline constexpr std::uint32_t kChangedKeyColours = 8;
inline constexpr std::uint32_t kAllKeyboardChanges
    = kChangedActiveProfile | kChangedProfiles | kChangedLighting | kChangedKeyColours;

// What the program reads again after a notice.
struct KeyboardChangeReads {
    // The user is to be asked first whether the keyboard's profiles replace the unapplied edits;
    // nothing else is read until the answer is known.
    bool ask = false;
    // The keyboard's profiles into the working copy (edits dropped, Apply off), then the active
    // profile and the whole lighting with its per-key colours and marks.
    bool profiles = false;
    // Which profile the keyboard runs, its key buttons and its lighting with the per-key colours.
    bool activeProfile = false;
    // The lighting without the per-key colours.
    bool lighting = false;
    // The lighting with the per-key colours, the marks rebuilt from them and the layout the panel
    // keeps them in taken from the layout file.
    bool keyColours = false;
    bool operator==(const KeyboardChangeReads&) const = default;
};

// `changes` is the notice's mask (unknown bits are ignored); `editsPending` whether the window
// holds unapplied edits; `answer` the user's answer once asked (Yes: take what the keyboard holds).
// Each part is read once: a read that covers another stands for it.
KeyboardChangeReads ReadsAfterKeyboardChange(
    std::uint32_t changes, bool editsPending, std::optional<model::Answer> answer = std::nullopt);

}  // namespace tavrin::profiles
