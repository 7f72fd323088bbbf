#include "profiles/keyboard_changes.h"

namespace tavrin::profiles {

KeyboardChangeReads ReadsAfterKeyboardChange(
    std::uint32_t changes, bool editsPending, std::optional<model::Answer> answer)
{
    KeyboardChangeReads reads;
    if (changes & kChangedProfiles) {
        if (editsPending && !answer) {
            reads.ask = true;
            return reads;
        }
        if (!editsPending || *answer == model::Answer::Yes) {
            // The full reload reads the active profile and the whole lighting too.
            reads.profiles = true;
            return reads;
        }
        // The edits stay; which profile runs is still shown afresh, as after a session came back.
        reads.activeProfile = true;
    }
    reads.activeProfile = reads.activeProfile || (changes & kChangedActiveProfile) != 0;
    reads.keyColours = (changes & kChangedKeyColours) != 0;
    // Both of the others read the lighting with the per-key colours.
    reads.lighting = (changes & kChangedLighting) != 0 && !reads.activeProfile && !reads.keyColours;
    return reads;
}

}  // namespace tavrin::profiles
