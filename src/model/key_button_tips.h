// How the keyboard picture shows assignments: per button, whether it looks assigned and its tip.
// The main window renders what these functions return.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/key_record.h"
#include "model/key_table.h"
#include "model/macro_record.h"

namespace tavrin::model {

class LanguageTexts;

inline constexpr std::size_t kTipUnits = 260;

struct ButtonLook {
    int controlId = 0;
    bool assigned = false;
    std::string tip;
};

// The name a G button's tip starts with: "Y" and its number from 1.
std::string GTipName(int gIndex);

// The tip of a key (its displayed name) or of G index g ("Y%d"), for its record.
std::string KeyTip(const std::string& name, const KeyRecord& record, const MacroList& macros, LanguageTexts& texts);

// One button shown unassigned: a key button by key code, or a G button by its record number
// (256-273).
ButtonLook UnassignedLook(std::uint16_t keyCodeOrGRecord, int bank, LanguageTexts& texts);

}  // namespace tavrin::model
