#include "model/key_assignment.h"

#include <algorithm>

#include "model/assignable_functions.h"

namespace tavrin::model {
namespace {

constexpr KeyBlockEntry kDisabledEntry{0x00, 0x00, 0x00};

void PutEntry(KeyBlockBytes& block, std::size_t position, const KeyBlockEntry& entry)
{
    block[position * 3] = entry.type;
    block[position * 3 + 1] = entry.b1;
    block[position * 3 + 2] = entry.b2;
}

// The entry a key-kind assignment (another key, a mouse action) writes.
KeyBlockEntry KeyTargetEntry(KeyCode target)
{
    if (const std::uint8_t bit = ModifierBitOfKey(target))
        return {0x02, 0x01, bit};
    switch (target) {
    case kMouseLeft:
        return {0x01, 0x01, 0x01};
    case kMouseRight:
        return {0x01, 0x01, 0x02};
    case kMouseMiddle:
        return {0x01, 0x01, 0x04};
    case kWheelUp:
        return {0x01, 0x05, 0x01};
    case kWheelDown:
        return {0x01, 0x05, 0xFF};
    default:
        break;
    }
    const Usage usage = UsageOfKeyCode(target);
    return {0x02, 0x02, usage.page == 7 ? static_cast<std::uint8_t>(usage.id) : std::uint8_t{0}};
}

KeyBlockEntry EntryForRecord(const KeyRecord& record, const KeyBlockEntry& defaultEntry, const MacroList& macros)
{
    switch (record.kind) {
    case KIND_DEFAULT:
    case KIND_PROGRAM:  // launching a program is done on the PC; the key keeps its function
        return defaultEntry;
    case KIND_DISABLED:
    case KIND_TEXT:
        return kDisabledEntry;
    case KIND_KEY:
        return KeyTargetEntry(static_cast<KeyCode>(record.value));
    case KIND_MACRO:
        return {
            0x05, 0x01, static_cast<std::uint8_t>(FindMacroPosition(macros, static_cast<std::uint16_t>(record.value)))};
    case KIND_STOP_MACRO:
        return {0x05, 0x02, 0x00};
    case KIND_MEDIA:
        if (const auto media = MediaFunction(static_cast<int>(record.value)))
            return {0x03, static_cast<std::uint8_t>(media->usage), static_cast<std::uint8_t>(media->usage >> 8)};
        return defaultEntry;
    case KIND_FUNCTION:
        return {0x05, 0x05, static_cast<std::uint8_t>(record.value)};
    default:
        return defaultEntry;  // kinds the keyboard does not know
    }
}

// A mouse entry as a mouse action; pairs the keyboard does not list are read as the nearest one:
// the lowest button bit (left when none), and the wheel by the sign of its step.
KeyCode MouseActionOfEntry(const KeyBlockEntry& entry)
{
    if (entry.b1 == 0x01) {
        if (entry.b2 & 0x01)
            return kMouseLeft;
        if (entry.b2 & 0x02)
            return kMouseRight;
        return entry.b2 & 0x04 ? kMouseMiddle : kMouseLeft;
    }
    if (entry.b1 == 0x05)
        return entry.b2 & 0x80 ? kWheelDown : kWheelUp;
    return kNoKey;
}

}  // namespace

KeyBlockEntry EntryAt(const KeyBlockBytes& block, std::size_t position)
{
    return {block[position * 3], block[position * 3 + 1], block[position * 3 + 2]};
}

KeyCode EntryIdentity(const KeyBlockEntry& entry)
{
    switch (entry.type) {
    case 1:
        if (entry.b1 == 1 && (entry.b2 == 1 || entry.b2 == 2 || entry.b2 == 4))
            return entry.b2 == 1 ? kMouseLeft : entry.b2 == 2 ? kMouseRight : kMouseMiddle;
        if (entry.b1 == 5 && (entry.b2 == 1 || entry.b2 == 0xFF))
            return entry.b2 == 1 ? kWheelUp : kWheelDown;
        return kNoKey;
    case 2:
        return entry.b1 == 2 ? KeyCodeOfUsage(7, entry.b2) : ModifierKeyCode(entry.b2);
    case 3:
        return KeyCodeOfUsage(12, static_cast<std::uint16_t>(entry.b1 | entry.b2 << 8));
    case 4:
        return KeyCodeOfUsage(1, static_cast<std::uint16_t>(entry.b1 | entry.b2 << 8));
    case 5:
        return entry.b1 == 0xA2 ? static_cast<KeyCode>(510 + entry.b2) : kNoKey;
    default:
        return kNoKey;
    }
}

KeyBlockBytes EncodeKeyBlock(KeyBlockRecords records, const MacroList& macros, const KeyBlockBytes& defaults)
{
    KeyBlockBytes block = defaults;
    for (std::size_t position = 0; position < kKeyBlockPositions; ++position) {
        const KeyBlockEntry defaultEntry = EntryAt(defaults, position);
        const KeyCode identity = EntryIdentity(defaultEntry);
        if (identity == kNoKey)
            continue;
        const KeyIndex index = IndexFromCode(identity);
        if (index >= kKeyTableRows)
            continue;
        PutEntry(block, position, EntryForRecord(records[index], defaultEntry, macros));
    }
    return block;
}

void DecodeKeyBlock(
    const KeyBlockBytes& block, std::span<KeyRecord, kRecordsPerBlock> records, const KeyBlockBytes& defaults)
{
    std::fill(records.begin(), records.end(), KeyRecord{});
    for (int g = 0; g < static_cast<int>(kGKeyCount); ++g) {
        records[GRecord(g, 0)].aux = GCode(g, 0);
        records[GRecord(g, 1)].aux = GCode(g, 1);
    }
    for (std::size_t position = 0; position < kKeyBlockPositions; ++position) {
        const KeyBlockEntry entry = EntryAt(block, position);
        const KeyBlockEntry defaultEntry = EntryAt(defaults, position);
        if (entry == defaultEntry)
            continue;
        const KeyIndex index = IndexFromCode(EntryIdentity(defaultEntry));
        if (index == 0 || index >= kKeyTableRows)
            continue;
        KeyRecord& record = records[index];
        record.kind = KIND_DISABLED;
        record.value = 0;
        switch (entry.type) {
        case 5:
            if (entry.b1 == 0x01) {
                record.kind = KIND_MACRO;
                record.value = entry.b2 + 1u;  // decoded macros have id = position + 1
            } else if (entry.b1 == 0x02) {
                record.kind = KIND_STOP_MACRO;
            } else if (entry.b1 == 0x05) {
                record.kind = KIND_FUNCTION;
                record.value = entry.b2;
            }
            break;
        case 3:
            if (const auto media = MediaIndexOfUsage(static_cast<std::uint16_t>(entry.b1 | entry.b2 << 8))) {
                record.kind = KIND_MEDIA;
                record.value = static_cast<std::uint32_t>(*media);
            }
            break;
        case 1:
            if (const KeyCode mouse = MouseActionOfEntry(entry)) {
                record.kind = KIND_KEY;
                record.value = mouse;
            }
            break;
        case 2:
            if (entry.b1 != 0x02) {
                // A modifier entry is a key even with no bit set: the key of code 0, which sends
                // nothing (and is written back as 02 02 00).
                record.kind = KIND_KEY;
                record.value = EntryIdentity(entry);
            } else if (const KeyCode target = EntryIdentity(entry)) {
                record.kind = KIND_KEY;
                record.value = target;
            }
            break;
        default:
            break;
        }
    }
}

}  // namespace tavrin::model
