// Key assignments and the keyboard's key map: the 378-byte key block of a profile (126 positions
// of 3 bytes: type, b1, b2), how records become a key block and back, and the model operations the
// editors and the main window use.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "model/default_key_block.h"
#include "model/key_record.h"
#include "model/key_table.h"
#include "model/macro_record.h"

namespace tavrin::model {

using KeyBlockRecords = std::span<const KeyRecord, kRecordsPerBlock>;

// The keyboard's own default key map: the built-in one until a read from the keyboard succeeds
// (only a whole, successful read replaces it).
class DefaultKeyBlock {
public:
    DefaultKeyBlock()
        : block_(BuiltInDefaultKeyBlock())
    {
    }
    KeyBlockBytes Get() const
    {
        std::lock_guard lock(mutex_);
        return block_;
    }
    void Replace(const KeyBlockBytes& block)
    {
        std::lock_guard lock(mutex_);
        block_ = block;
    }

private:
    mutable std::mutex mutex_;
    KeyBlockBytes block_;
};

struct KeyBlockEntry {
    std::uint8_t type = 0, b1 = 0, b2 = 0;
    bool operator==(const KeyBlockEntry&) const = default;
};

KeyBlockEntry EntryAt(const KeyBlockBytes& block, std::size_t position);

// The key code a key block entry names; 0 for none.
KeyCode EntryIdentity(const KeyBlockEntry& entry);

// The key block to write for one profile's records. Macro keys are written with the position in
// `macros` of their macro's id (0 when none has it); a record of a kind above 8 keeps the default.
KeyBlockBytes EncodeKeyBlock(KeyBlockRecords records, const MacroList& macros, const KeyBlockBytes& defaults);

// Fills a block of 512 records from a key block read from the keyboard.
void DecodeKeyBlock(
    const KeyBlockBytes& block, std::span<KeyRecord, kRecordsPerBlock> records, const KeyBlockBytes& defaults);

}  // namespace tavrin::model
