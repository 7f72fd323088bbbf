// A macro as the program keeps it: a named list of key and mouse-button events with delays. The
// same bytes are stored in profile files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrin::model {

struct MacroAction {
    std::uint32_t delay;    // milliseconds; editors keep it within 0-40000
    std::uint16_t key;      // key code, or a mouse button or wheel code
    std::uint16_t release;  // 0 press, 1 release

    bool operator==(const MacroAction&) const = default;
};
static_assert(sizeof(MacroAction) == 8);
static_assert(offsetof(MacroAction, delay) == 0);
static_assert(offsetof(MacroAction, key) == 4);
static_assert(offsetof(MacroAction, release) == 6);

inline constexpr std::size_t kMacroNameUnits = 250;  // 249 characters and a terminator
inline constexpr std::size_t kMaxMacroActions = 2000;
inline constexpr std::size_t kMaxMacros = 100;
inline constexpr std::uint32_t kMaxMacroDelay = 40000;

enum MacroPlayMode : std::uint16_t { PLAY_ONCE = 0, PLAY_REPEAT = 1, PLAY_UNTIL_KEY_AGAIN = 2 };

struct MacroRecord {
    char16_t name[kMacroNameUnits];
    std::uint8_t cycles;
    std::uint8_t padding1;
    std::uint16_t isNew;
    std::uint16_t playMode;
    std::uint16_t id;  // 1-100, unique within the list
    std::uint16_t actionCount;
    std::uint16_t padding2;
    MacroAction actions[kMaxMacroActions];

    bool operator==(const MacroRecord&) const = default;
};
static_assert(sizeof(MacroRecord) == 16512);
static_assert(offsetof(MacroRecord, name) == 0);
static_assert(offsetof(MacroRecord, cycles) == 500);
static_assert(offsetof(MacroRecord, isNew) == 502);
static_assert(offsetof(MacroRecord, playMode) == 504);
static_assert(offsetof(MacroRecord, id) == 506);
static_assert(offsetof(MacroRecord, actionCount) == 508);
static_assert(offsetof(MacroRecord, actions) == 512);

using MacroList = std::vector<MacroRecord>;

// A zero-filled record.
MacroRecord EmptyMacroRecord();
// The name up to its terminator (at most 249 units).
std::u16string MacroName(const MacroRecord& record);
// Stores a name, cut to 249 units without splitting a surrogate pair, and terminates it.
void SetMacroName(MacroRecord& record, std::u16string_view name);

// The list position of the first record with that id; 0 when none has it.
std::size_t FindMacroPosition(const MacroList& list, std::uint16_t id);
// The smallest id in 1-100 that no record uses; 0 when all are taken.
std::uint16_t AllocateMacroId(const MacroList& list);

}  // namespace tavrin::model
