// How the keyboard picture shows assignments: per button, whether it looks assigned and its tip.
// The main window renders what these functions return.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/key_record.h"
#include "model/key_table.h"
#include "model/macro_record.h"

namespace tavrin::profiles {
struct ProfileData;
}

namespace tavrin::model {

class LanguageTexts;

inline constexpr std::size_t kTipUnits = 260;

struct ButtonLook {
    int controlId = 0;
    bool assigned = false;
    std::string tip;
};

// The tip of a key (its displayed name) or of G index g ("Y%d"), for its record.
std::string KeyTip(const std::string& name, const KeyRecord& record, const MacroList& macros, LanguageTexts& texts);

// The nine G buttons (records of `bank`) and then the 104 key buttons in the button order, for
// block `profile` of the working copy, read under its lock.
std::vector<ButtonLook> KeyButtonLooks(profiles::ProfileData& working, int profile, int bank, LanguageTexts& texts);

// One button shown unassigned: a key button by key code, or a G button by its record number
// (256-273).
ButtonLook UnassignedLook(std::uint16_t keyCodeOrGRecord, int bank, LanguageTexts& texts);

}  // namespace tavrin::model
