// The keyboard's macro block: the compact form in which the keyboard stores the macro list.
//
//   0  u16 magic 0x55AA      4  u16 macro count n     8  8 bytes reserved (zero)
//   2  u16 block length      6  u16 names flag       16  u16 offset of each record, then the records
//
// A record: u16 action count a, u8 cycles, u8 name length L (UTF-16 units, 0 without names), a
// actions of 4 bytes (control word: delay / 10 ms in bits 0-11, kind in 12-14, bit 15 set for a
// press; two code bytes), then L name units when the block carries names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/macro_record.h"

namespace tavrin::model {

inline constexpr std::uint16_t kMacroBlockMagic = 0x55AA;
inline constexpr std::size_t kMacroBlockHeaderSize = 16;

struct MacroBlockSizes {
    std::size_t withNames = 0;
    std::size_t withoutNames = 0;
};

MacroBlockSizes ComputeMacroBlockSizes(const MacroList& list);

// A block of `length` bytes (normally one of the two sizes) from the list.
std::vector<std::uint8_t> EncodeMacroBlock(const MacroList& list, bool withNames, std::size_t length);

// The list a block read from the keyboard holds; ids are position + 1. Records without a name
// are named `namePrefix` followed by their position + 1.
//
// The block is untrusted, and decoding never reads outside `bytes` (nor past the length the block
// states, when that is shorter): at most 100 macros are taken; the list ends at the first record
// whose header lies outside the block; a record keeps at most 2000 actions and only the actions
// that lie wholly inside the block; a name that does not lie wholly inside the block is replaced by
// the generated one; names are cut at 249 units. A block without the magic holds no macros.
MacroList DecodeMacroBlock(std::span<const std::uint8_t> bytes, std::u16string_view namePrefix);

// The device form of one action, and back.
struct DeviceAction {
    std::uint16_t control;
    std::uint8_t code[2];
};
DeviceAction EncodeMacroAction(const MacroAction& action);
MacroAction DecodeMacroAction(const DeviceAction& action);

}  // namespace tavrin::model
