// Everything the keyboard stores about key assignments and macros, mirrored on the PC: the key
// records of the three profiles and a fourth block kept only here, the macro list, and the texts
// of the keys that launch a program or type a text. Two instances live for the whole run: the
// working copy that editors change, and the applied copy that the download sends. Each has its own
// re-entrant lock; the working lock is always taken before the applied one.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "model/key_record.h"
#include "model/macro_record.h"

namespace tavrin::profiles {

inline constexpr std::size_t kFileHeaderSize = 32;
inline constexpr std::size_t kKeySectionHeaderSize = 32;
inline constexpr std::size_t kKeyAreaSize = kFileHeaderSize + kKeySectionHeaderSize + 16 * model::kRecordCount;
static_assert(kKeyAreaSize == 32832);

// A record's text holds at most this many UTF-16 units; with its terminator it fills 8192 bytes of
// a file. The bound keeps the texts one file can make the program hold to 16 MiB, however many
// records point at one long text.
inline constexpr std::size_t kMaxTextUnits = 4095;
inline constexpr std::size_t kMaxTextBytes = (kMaxTextUnits + 1) * 2;
// Every record holding a text at its longest: the most text a ProfileData can hold, and so the
// largest text area a file may state.
inline constexpr std::size_t kMaxTextAreaBytes = kMaxTextBytes * model::kRecordCount;
static_assert(kMaxTextAreaBytes == 16u << 20);
static_assert(kMaxTextAreaBytes <= std::numeric_limits<std::uint32_t>::max(), "textBytes is 32 bits, as in files");

struct ProfileData {
    // The two headers as they stand at the start of a profile file, and the 2048 records; the key
    // area is absent after the data has been cleared.
    bool hasKeyArea = false;
    std::array<std::uint8_t, kFileHeaderSize> fileHeader{};
    std::array<std::uint8_t, kKeySectionHeaderSize> keySectionHeader{};
    std::array<model::KeyRecord, model::kRecordCount> records{};

    model::MacroList macros;  // at most 100

    // Parallel to the records: the text of a record of kind 3 or 6 (without its terminator), at
    // most kMaxTextUnits long. Set them through SetText, which keeps both bounds.
    std::array<std::optional<std::u16string>, model::kRecordCount> texts;
    std::uint32_t textBytes = 0;  // sum of (length + 1) × 2 over the texts that are set

    std::recursive_mutex lock;

    model::KeyRecord& Record(int block, std::size_t record) { return records[model::RecordNumber(block, record)]; }
    const model::KeyRecord& Record(int block, std::size_t record) const
    {
        return records[model::RecordNumber(block, record)];
    }
    // Replaces or removes the text of a record number, keeping textBytes right. A longer text is
    // cut to kMaxTextUnits units.
    void SetText(std::size_t recordNumber, std::optional<std::u16string> text);
};

// How many of the text's first units a record keeps: at most kMaxTextUnits, and never the first half
// of a surrogate pair without its second.
std::size_t KeptTextUnits(std::u16string_view text);

// The bytes a text occupies: its units and the terminator, two bytes each.
inline std::uint32_t TextByteLength(const std::u16string& text)
{
    return static_cast<std::uint32_t>((text.size() + 1) * 2);
}

}  // namespace tavrin::profiles
