// What one key does in one profile, as the profile data and profile files store it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin::model {

enum KeyKind : std::uint16_t {
    KIND_DEFAULT = 0,   // the key keeps its default function
    KIND_DISABLED = 1,  // the key does nothing
    KIND_KEY = 2,       // another key or a mouse action; value = its key code
    KIND_PROGRAM = 3,   // launches the program named by the record's text
    KIND_MACRO = 4,     // plays the macro whose id is the value; aux may hold a cycle count
    KIND_STOP_MACRO = 5,
    KIND_TEXT = 6,      // types the record's text
    KIND_MEDIA = 7,     // value = index into the media function list
    KIND_FUNCTION = 8,  // value = index into the function key list
};

struct KeyRecord {
    std::uint16_t kind;
    std::uint16_t aux;  // G code of a G key; cycle count of a macro key
    std::uint32_t value;
    std::uint32_t colourKeyFlag;  // numbered by button place, not by key (see the key picture)
    std::uint32_t reserved;

    bool operator==(const KeyRecord&) const = default;
};
static_assert(sizeof(KeyRecord) == 16);
static_assert(offsetof(KeyRecord, kind) == 0);
static_assert(offsetof(KeyRecord, aux) == 2);
static_assert(offsetof(KeyRecord, value) == 4);
static_assert(offsetof(KeyRecord, colourKeyFlag) == 8);
static_assert(offsetof(KeyRecord, reserved) == 12);

// Record numbering: four blocks of 512; records 0-255 by key index, 256-264 the G keys of bank 0,
// 265-273 those of bank 1.
inline constexpr std::size_t kRecordsPerBlock = 512;
inline constexpr std::size_t kRecordBlocks = 4;
inline constexpr std::size_t kRecordCount = kRecordsPerBlock * kRecordBlocks;
inline constexpr std::size_t kFirstGRecord = 256;
inline constexpr std::size_t kGRecordsPerBank = 9;

inline constexpr std::size_t GRecord(int gIndex, int bank)
{
    return kFirstGRecord + kGRecordsPerBank * static_cast<std::size_t>(bank) + static_cast<std::size_t>(gIndex);
}
inline constexpr std::size_t RecordNumber(int block, std::size_t record)
{
    return static_cast<std::size_t>(block) * kRecordsPerBlock + record;
}

}  // namespace tavrin::model
