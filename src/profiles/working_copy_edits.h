// The edits the windows make to the working copy of the profile data, each under its lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "profiles/profile_data.h"

namespace tavrin::profiles {

// Writes one record of the working copy (and its text, for kinds 3 and 6). The colour-key flag
// and the reserved word are kept.
void StoreAssignment(ProfileData& working, int profile, std::size_t record, std::uint16_t kind, std::uint16_t aux,
    std::uint32_t value, std::optional<std::u16string> text);

// Zeroes the records of the 104 picture keys and of the nine G keys of `bank` in the profile's
// block; their texts stay in the text table.
void ClearProfileAssignments(ProfileData& working, int profile, int bank);

// The colour-key flag a key or G button shows: flags are numbered by the button's place, the 104
// key buttons in button order on records 0–103 and the G buttons on records g (bank 0) or g + 9
// (bank 1). Nothing for a control that is neither.
std::optional<bool> ColourKeyFlag(ProfileData& working, int profile, int bank, int controlId);
// Turns that flag over; false for a control that is neither.
bool ToggleColourKey(ProfileData& working, int profile, int bank, int controlId);

// Whether a record of kind 4 plays the macro with that id: the records from the active profile's
// block on, skipping its first G-key record. An unknown profile (-1) examines from block 0.
bool KeysPlayingMacro(ProfileData& working, int activeProfile, std::uint16_t macroId);

}  // namespace tavrin::profiles
