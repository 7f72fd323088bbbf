// A profile file's content as people and scripts read it: the assignments of each profile by key
// name, and every macro with its actions.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "model/key_table.h"
#include "model/language_texts.h"
#include "profiles/profile_data.h"

namespace tavrin::cli {

// English names; function-key names come from the English language file when `texts` has it.
// Written to `out` as they are made: with every text at its longest a listing runs to tens of
// megabytes, which a caller printing it need not hold.
void WriteProfileListing(std::ostream& out, const profiles::ProfileData& data, const model::LanguageTexts& texts);
void WriteProfileDataAsJson(std::ostream& out, const profiles::ProfileData& data, const model::LanguageTexts& texts);
// The same, whole.
std::string ListProfileData(const profiles::ProfileData& data, const model::LanguageTexts& texts);
std::string ProfileDataAsJson(const profiles::ProfileData& data, const model::LanguageTexts& texts);

// A key's English name from the key table, "key 0XX" for a code without one.
std::string KeyName(model::KeyCode code);
// `text` as a JSON string, quotes included.
std::string JsonString(std::string_view text);

}  // namespace tavrin::cli
