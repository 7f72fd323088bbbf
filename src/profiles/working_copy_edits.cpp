#include "profiles/working_copy_edits.h"

#include <algorithm>

#include "model/key_table.h"

namespace tavrin::profiles {

using namespace tavrin::model;

void StoreAssignment(ProfileData& working, int profile, std::size_t record, std::uint16_t kind, std::uint16_t aux,
    std::uint32_t value, std::optional<std::u16string> text)
{
    if (profile < 0 || profile >= static_cast<int>(kRecordBlocks) || record >= kRecordsPerBlock)
        return;
    std::lock_guard lock(working.lock);
    const std::size_t number = RecordNumber(profile, record);
    const bool keepsText = kind == KIND_PROGRAM || kind == KIND_TEXT;
    working.SetText(number, keepsText ? std::move(text) : std::nullopt);
    KeyRecord& target = working.records[number];
    target.kind = kind;
    target.aux = aux;
    target.value = value;
}

void ClearProfileAssignments(ProfileData& working, int profile, int bank)
{
    if (profile < 0 || profile >= static_cast<int>(kRecordBlocks) || bank < 0 || bank > 1)
        return;
    std::lock_guard lock(working.lock);
    for (const KeyButton& button : KeyButtonsInOrder())
        working.Record(profile, IndexFromCode(button.code)) = KeyRecord{};
    for (int g = 0; g < static_cast<int>(kGKeyCount); ++g)
        working.Record(profile, GRecord(g, bank)) = KeyRecord{};
}

bool KeysPlayingMacro(ProfileData& working, int activeProfile, std::uint16_t macroId)
{
    const int block = std::clamp(activeProfile, 0, static_cast<int>(kRecordBlocks) - 1);
    const std::size_t first = RecordNumber(block, 0);
    std::lock_guard lock(working.lock);
    for (std::size_t number = first; number < kRecordCount; ++number) {
        if (number == first + kFirstGRecord)
            continue;
        const KeyRecord& record = working.records[number];
        if (record.kind == KIND_MACRO && (record.value & 0xFFFF) == macroId)
            return true;
    }
    return false;
}

namespace {

std::optional<std::size_t> ColourKeyRecord(int bank, int controlId)
{
    if (const std::optional<int> g = model::GIndexOfButton(controlId))
        return static_cast<std::size_t>(*g + (bank != 0 ? 9 : 0));
    const auto& buttons = model::KeyButtonsInOrder();
    for (std::size_t place = 0; place < buttons.size(); ++place)
        if (buttons[place].controlId == controlId)
            return place;
    return std::nullopt;
}

}  // namespace

std::optional<bool> ColourKeyFlag(ProfileData& working, int profile, int bank, int controlId)
{
    const std::optional<std::size_t> record = ColourKeyRecord(bank, controlId);
    if (!record)
        return std::nullopt;
    std::lock_guard lock(working.lock);
    return working.Record(profile, *record).colourKeyFlag != 0;
}

bool ToggleColourKey(ProfileData& working, int profile, int bank, int controlId)
{
    const std::optional<std::size_t> record = ColourKeyRecord(bank, controlId);
    if (!record)
        return false;
    std::lock_guard lock(working.lock);
    std::uint32_t& flag = working.Record(profile, *record).colourKeyFlag;
    flag = flag != 0 ? 0 : 1;
    return true;
}

}  // namespace tavrin::profiles
