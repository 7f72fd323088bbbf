// What the program reads again after tavrinctl's notice: each part once, and the profiles never
// over unapplied edits unless the user said Yes.
#include <gtest/gtest.h>

#include "profiles/keyboard_changes.h"

namespace tavrin::profiles {
namespace {

using model::Answer;

struct ChangeCase {
    const char* name;
    std::uint32_t changes;
    bool editsPending;
    std::optional<Answer> answer;
    KeyboardChangeReads reads;
};

KeyboardChangeReads Reads(bool ask, bool profiles, bool active, bool lighting, bool keyColours)
{
    return {ask, profiles, active, lighting, keyColours};
}

TEST(KeyboardChanges, WhatIsReadAgainForEachNotice)
{
    const ChangeCase cases[] = {
        {"nothing said", 0, false, std::nullopt, Reads(false, false, false, false, false)},
        {"unknown bits only", 0xF0u, true, std::nullopt, Reads(false, false, false, false, false)},
        {"active profile", kChangedActiveProfile, false, std::nullopt, Reads(false, false, true, false, false)},
        {"active profile over edits: no question", kChangedActiveProfile, true, std::nullopt,
            Reads(false, false, true, false, false)},
        {"lighting", kChangedLighting, true, std::nullopt, Reads(false, false, false, true, false)},
        {"key colours", kChangedKeyColours, true, std::nullopt, Reads(false, false, false, false, true)},
        {"lighting and key colours: one read with the colours", kChangedLighting | kChangedKeyColours, false,
            std::nullopt, Reads(false, false, false, false, true)},
        {"lighting and active profile: the switch reads the lighting", kChangedLighting | kChangedActiveProfile, false,
            std::nullopt, Reads(false, false, true, false, false)},
        {"profiles, nothing pending: the full reload", kChangedProfiles, false, std::nullopt,
            Reads(false, true, false, false, false)},
        {"profiles and everything else, nothing pending", kAllKeyboardChanges, false, std::nullopt,
            Reads(false, true, false, false, false)},
        {"profiles over edits: asked first, nothing read", kChangedProfiles | kChangedLighting, true, std::nullopt,
            Reads(true, false, false, false, false)},
        {"profiles over edits, Yes: the full reload", kChangedProfiles | kChangedLighting, true, Answer::Yes,
            Reads(false, true, false, false, false)},
        {"profiles over edits, No: the edits stay, the running profile is shown", kChangedProfiles, true, Answer::No,
            Reads(false, false, true, false, false)},
        {"profiles over edits, No, with the lighting", kChangedProfiles | kChangedLighting, true, Answer::No,
            Reads(false, false, true, false, false)},
        {"profiles over edits, No, with key colours", kChangedProfiles | kChangedKeyColours, true, Answer::No,
            Reads(false, false, true, false, true)},
    };
    for (const ChangeCase& c : cases)
        EXPECT_EQ(ReadsAfterKeyboardChange(c.changes, c.editsPending, c.answer), c.reads) << c.name;
}

}  // namespace
}  // namespace tavrin::profiles
