// Profile data with assignments in all three profiles, of every kind the keyboard stores, and two
// macros; and a check that two copies agree in what the keyboard keeps.
#pragma once

#include <initializer_list>
#include <string_view>

#include "model/macro_record.h"
#include "profiles/profile_data.h"

namespace tavrin::testing {

// A macro with that id, name, cycle count and actions.
model::MacroRecord SampleMacro(
    std::uint16_t id, std::u16string_view name, std::uint8_t cycles, std::initializer_list<model::MacroAction> actions);

void FillSampleProfile(profiles::ProfileData& data);

// The records of the three profiles' keys and the macros' names, cycles and actions (what a
// keyboard gives back) are the same; reports differences as test failures.
void ExpectSameKeyboardContent(const profiles::ProfileData& expected, const profiles::ProfileData& actual);

}  // namespace tavrin::testing
