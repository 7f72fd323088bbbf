// The keyboard picture's buttons as the working copy shows them.
#pragma once

#include <vector>

#include "model/key_button_tips.h"
#include "profiles/profile_data.h"

namespace tavrin::profiles {

// The nine G buttons (records of `bank`) and then the 104 key buttons in the button order, for
// block `profile` of the working copy, read under its lock.
std::vector<model::ButtonLook> KeyButtonLooks(ProfileData& working, int profile, int bank, model::LanguageTexts& texts);

}  // namespace tavrin::profiles
