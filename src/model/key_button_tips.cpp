#include "model/key_button_tips.h"

#include <cstdio>
#include <mutex>

#include "model/assignable_functions.h"
#include "model/language_texts.h"
#include "model/text_encoding.h"
#include "platform/private_profile.h"

namespace tavrin::model {
std::string GTipName(int gIndex)
{
    char name[16];
    std::snprintf(name, sizeof name, "Y%d", gIndex + 1);
    return name;
}

namespace {

std::string MacroNameOf(const MacroList& macros, std::uint32_t id)
{
    for (const MacroRecord& record : macros)
        if (record.id == id)
            return Utf8FromUtf16(MacroName(record));
    return {};
}

}  // namespace

std::string KeyTip(const std::string& name, const KeyRecord& record, const MacroList& macros, LanguageTexts& texts)
{
    if (record.kind == KIND_DEFAULT)
        return platform::CutToUtf16Units(name, kTipUnits);
    std::string tip = name + texts.Text("IDS_KEY_PROMPT_SET");
    switch (record.kind) {
    case KIND_KEY:
        tip += texts.Text("IDS_KEY_PROMPT_SINGLE") + DisplayedName(static_cast<KeyCode>(record.value), texts) + ")";
        break;
    case KIND_MACRO:
        tip += texts.Text("IDS_KEY_PROMPT_MACRO") + MacroNameOf(macros, record.value) + ")";
        break;
    case KIND_MEDIA:
        if (const auto media = MediaFunction(static_cast<int>(record.value)))
            tip += texts.Text("IDS_KEY_PROMPT_MEDIA") + DisplayedName(media->code, texts) + ")";
        break;
    case KIND_FUNCTION:
        if (const auto key = FunctionKeyName(static_cast<int>(record.value)))
            tip += texts.Text("IDS_KEY_PROMPT_FUNCTION") + texts.Text(*key) + ")";
        break;
    default:
        break;
    }
    return platform::CutToUtf16Units(tip, kTipUnits);
}

ButtonLook UnassignedLook(std::uint16_t keyCodeOrGRecord, int bank, LanguageTexts& texts)
{
    const std::size_t first = GRecord(0, bank);
    if (keyCodeOrGRecord >= first && keyCodeOrGRecord < first + kGKeyCount) {
        const int g = static_cast<int>(keyCodeOrGRecord - first);
        return {GButtonId(g).value_or(0), false, GTipName(g)};
    }
    for (const KeyButton& button : KeyButtonsInOrder())
        if (button.code == keyCodeOrGRecord)
            return {button.controlId, false, DisplayedName(button.code, texts)};
    return {};
}

}  // namespace tavrin::model
