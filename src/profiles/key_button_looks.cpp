#include "profiles/key_button_looks.h"

#include <mutex>

namespace tavrin::profiles {

using namespace tavrin::model;

std::vector<ButtonLook> KeyButtonLooks(ProfileData& working, int profile, int bank, model::LanguageTexts& texts)
{
    std::vector<ButtonLook> looks;
    std::lock_guard lock(working.lock);
    for (int g = 0; g < static_cast<int>(kGKeyCount); ++g) {
        const KeyRecord& record = working.Record(profile, GRecord(g, bank));
        looks.push_back({GButtonId(g).value_or(0), record.kind != KIND_DEFAULT,
            KeyTip(GTipName(g), record, working.macros, texts)});
    }
    for (const KeyButton& button : KeyButtonsInOrder()) {
        const KeyRecord& record = working.Record(profile, IndexFromCode(button.code));
        looks.push_back({button.controlId, record.kind != KIND_DEFAULT,
            KeyTip(DisplayedName(button.code, texts), record, working.macros, texts)});
    }
    return looks;
}

}  // namespace tavrin::profiles
