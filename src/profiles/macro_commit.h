// The key editor's macro list taken into the working copy: keys that played a macro that is gone
// (or whose id a new macro took over) go back to their default function, keys of the macro kind
// without a macro get the first one, and the list replaces the working copy's.
#pragma once

#include <cstddef>
#include <vector>

#include "model/macro_record.h"
#include "profiles/profile_data.h"

namespace tavrin::profiles {

struct MacroCommit {
    std::vector<std::size_t> resetRecords;  // record numbers (0 to 2047) set back to the default function
    bool applyNeeded = false;               // a key record changed
};

MacroCommit CommitMacroList(ProfileData& working, const model::MacroList& panelList);

}  // namespace tavrin::profiles
