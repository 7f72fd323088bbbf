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

}  // namespace tavrin::profiles
