#include "model/macro_block.h"

#include <algorithm>

#include "model/key_table.h"
#include "model/little_endian.h"

namespace tavrin::model {
namespace {

enum ActionKind : std::uint16_t {
    ACTION_NONE = 0,
    ACTION_MOUSE = 1,
    ACTION_KEY = 2,
    ACTION_CONSUMER = 3,
    ACTION_SYSTEM = 4,
    ACTION_SPECIAL = 5,
};

constexpr std::uint16_t kPressBit = 0x8000;
constexpr std::uint16_t kDelayMask = 0x0FFF;
constexpr std::uint32_t kDelayUnit = 10;

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return LoadU16(bytes.data() + at);
}

void WriteU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value)
{
    if (at + 2 <= bytes.size())
        StoreU16(bytes.data() + at, value);
}

std::size_t NameLength(const MacroRecord& record)
{
    return MacroName(record).size();
}

}  // namespace

DeviceAction EncodeMacroAction(const MacroAction& action)
{
    DeviceAction encoded{};
    std::uint16_t kind = ACTION_NONE;
    const std::uint8_t modifier = ModifierBitOfKey(action.key);
    const Usage usage = UsageOfKeyCode(action.key);
    const std::uint8_t deviceCode = static_cast<std::uint8_t>(usage.id);
    if (modifier != 0) {
        kind = ACTION_KEY;
        encoded.code[0] = 0x01;
        encoded.code[1] = modifier;
    } else if (usage.page == 7) {
        kind = ACTION_KEY;
        encoded.code[0] = 0x02;
        encoded.code[1] = deviceCode;
    } else if (usage.page == 1) {
        kind = ACTION_SYSTEM;
        encoded.code[0] = deviceCode;
        encoded.code[1] = 0;
    } else if (usage.page == 2) {
        switch (deviceCode) {
        case 0xF1:
        case 0xF2:
        case 0xF3:
            kind = ACTION_MOUSE;
            encoded.code[0] = 0x01;
            encoded.code[1] = static_cast<std::uint8_t>(1u << (deviceCode - 0xF1));
            break;
        case 0xF4:
        case 0xF5:
            kind = ACTION_MOUSE;
            encoded.code[0] = 0x05;
            encoded.code[1] = deviceCode == 0xF4 ? 0x01 : 0xFF;
            break;
        default:
            break;
        }
    }
    encoded.control = static_cast<std::uint16_t>(
        ((action.delay / kDelayUnit) & kDelayMask) | kind << 12 | (action.release == 0 ? kPressBit : 0));
    return encoded;
}

MacroAction DecodeMacroAction(const DeviceAction& action)
{
    MacroAction decoded{};
    decoded.delay = (action.control & kDelayMask) * kDelayUnit;
    decoded.release = (action.control & kPressBit) ? 0 : 1;
    const std::uint8_t first = action.code[0];
    const std::uint8_t second = action.code[1];
    const std::uint16_t both = static_cast<std::uint16_t>(first | second << 8);
    switch ((action.control >> 12) & 0x7) {
    case ACTION_MOUSE:
        if (first == 0x01 && (second == 0x01 || second == 0x02 || second == 0x04))
            decoded.key = second == 0x01 ? kMouseLeft : second == 0x02 ? kMouseRight : kMouseMiddle;
        else if (first == 0x05 && (second == 0x01 || second == 0xFF))
            decoded.key = second == 0x01 ? kWheelUp : kWheelDown;
        break;
    case ACTION_KEY:
        decoded.key = first == 0x02 ? KeyCodeOfUsage(7, second) : ModifierKeyCode(second);
        break;
    case ACTION_CONSUMER:
        decoded.key = KeyCodeOfUsage(12, both);
        break;
    case ACTION_SYSTEM:
        decoded.key = both >= 0x81 && both <= 0x83 ? KeyCodeOfUsage(1, both) : kNoKey;
        break;
    case ACTION_SPECIAL:
        decoded.key = first == 0xA2 ? static_cast<KeyCode>(0x1FE + second) : kNoKey;
        break;
    default:
        break;
    }
    return decoded;
}

MacroBlockSizes ComputeMacroBlockSizes(const MacroList& list)
{
    MacroBlockSizes sizes;
    sizes.withoutNames = kMacroBlockHeaderSize + 2 * list.size();
    std::size_t names = 0;
    for (const MacroRecord& record : list) {
        sizes.withoutNames += 4 + 4 * std::min<std::size_t>(record.actionCount, kMaxMacroActions);
        names += 2 * NameLength(record);
    }
    sizes.withNames = sizes.withoutNames + names;
    return sizes;
}

std::vector<std::uint8_t> EncodeMacroBlock(const MacroList& list, bool withNames, std::size_t length)
{
    std::vector<std::uint8_t> block(length, 0);
    const std::size_t count = std::min(list.size(), kMaxMacros);
    WriteU16(block, 0, kMacroBlockMagic);
    WriteU16(block, 2, static_cast<std::uint16_t>(length));
    WriteU16(block, 4, static_cast<std::uint16_t>(count));
    WriteU16(block, 6, withNames ? 1 : 0);
    std::size_t position = kMacroBlockHeaderSize + 2 * count;
    for (std::size_t i = 0; i < count; ++i) {
        const MacroRecord& record = list[i];
        const std::size_t actions = std::min<std::size_t>(record.actionCount, kMaxMacroActions);
        const std::u16string name = withNames ? MacroName(record) : std::u16string();
        WriteU16(block, kMacroBlockHeaderSize + 2 * i, static_cast<std::uint16_t>(position));
        WriteU16(block, position, static_cast<std::uint16_t>(actions));
        if (position + 4 <= block.size()) {
            block[position + 2] = record.cycles;
            block[position + 3] = static_cast<std::uint8_t>(name.size());
        }
        position += 4;
        for (std::size_t a = 0; a < actions; ++a, position += 4) {
            const DeviceAction encoded = EncodeMacroAction(record.actions[a]);
            WriteU16(block, position, encoded.control);
            if (position + 4 <= block.size()) {
                block[position + 2] = encoded.code[0];
                block[position + 3] = encoded.code[1];
            }
        }
        for (char16_t unit : name) {
            WriteU16(block, position, static_cast<std::uint16_t>(unit));
            position += 2;
        }
    }
    return block;
}

MacroList DecodeMacroBlock(std::span<const std::uint8_t> bytes, std::u16string_view namePrefix)
{
    MacroList list;
    if (bytes.size() < kMacroBlockHeaderSize || ReadU16(bytes, 0) != kMacroBlockMagic)
        return list;
    const std::size_t stated = ReadU16(bytes, 2);
    const std::size_t end = stated >= kMacroBlockHeaderSize ? std::min(stated, bytes.size()) : bytes.size();
    const std::size_t count = std::min<std::size_t>(ReadU16(bytes, 4), kMaxMacros);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kMacroBlockHeaderSize + 2 * i;
        if (entry + 2 > end)
            break;
        const std::size_t offset = ReadU16(bytes, entry);
        if (offset < kMacroBlockHeaderSize || offset + 4 > end)
            break;
        MacroRecord record = EmptyMacroRecord();
        record.id = static_cast<std::uint16_t>(i + 1);
        record.cycles = bytes[offset + 2];
        const std::size_t available = (end - offset - 4) / 4;
        const std::size_t actions = std::min({std::size_t{ReadU16(bytes, offset)}, kMaxMacroActions, available});
        record.actionCount = static_cast<std::uint16_t>(actions);
        for (std::size_t a = 0; a < actions; ++a) {
            const std::size_t at = offset + 4 + 4 * a;
            record.actions[a] = DecodeMacroAction({ReadU16(bytes, at), {bytes[at + 2], bytes[at + 3]}});
        }
        const std::size_t nameUnits = bytes[offset + 3];
        // The name follows all the actions the record states, not just the ones taken.
        const std::size_t nameAt = offset + 4 + 4 * std::size_t{ReadU16(bytes, offset)};
        if (nameUnits > 0 && nameAt + 2 * nameUnits <= end) {
            std::u16string name;
            for (std::size_t u = 0; u < nameUnits; ++u)
                name.push_back(static_cast<char16_t>(ReadU16(bytes, nameAt + 2 * u)));
            SetMacroName(record, name);
        } else {
            std::u16string generated(namePrefix);
            for (char digit : std::to_string(i + 1))
                generated.push_back(static_cast<char16_t>(digit));
            SetMacroName(record, generated);
        }
        list.push_back(record);
    }
    return list;
}

}  // namespace tavrin::model
