#include "profiles/macro_commit.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace tavrin::profiles {
namespace {

// Whether a key playing `id` may keep it: a macro has the id and is not a new one that took the id
// over from a deleted macro the key meant.
bool StillPlayable(const model::MacroList& panelList, std::uint32_t id)
{
    const auto macro
        = std::find_if(panelList.begin(), panelList.end(), [id](const model::MacroRecord& m) { return m.id == id; });
    return macro != panelList.end() && macro->isNew == 0;
}

}  // namespace

MacroCommit CommitMacroList(ProfileData& working, const model::MacroList& panelList)
{
    // The copy comes first, so that running out of memory leaves the working copy as it was.
    model::MacroList committed = panelList;
    for (model::MacroRecord& macro : committed)
        macro.isNew = 0;

    MacroCommit commit;
    std::lock_guard lock(working.lock);
    for (std::size_t number = 0; number < model::kRecordCount; ++number) {
        model::KeyRecord& record = working.records[number];
        if (record.kind != model::KIND_MACRO)
            continue;
        if (record.value != 0 && !StillPlayable(panelList, record.value)) {
            record.kind = model::KIND_DEFAULT;
            commit.resetRecords.push_back(number);
            commit.applyNeeded = true;
        } else if (record.value == 0 && !panelList.empty()) {
            record.value = panelList.front().id;
            commit.applyNeeded = true;
        }
    }
    working.macros = std::move(committed);
    return commit;
}

}  // namespace tavrin::profiles
