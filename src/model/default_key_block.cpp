#include "model/default_key_block.h"

namespace tavrin::model {
namespace {

struct Entry {
    std::uint8_t type, b1, b2;
};

constexpr Entry kNone{0x00, 0x00, 0x00};
constexpr Entry kUnnamed{0x05, 0x00, 0x00};

constexpr Entry Key(std::uint8_t usage)
{
    return {0x02, 0x02, usage};
}
constexpr Entry Modifier(std::uint8_t bits)
{
    return {0x02, 0x01, bits};
}
constexpr Entry Consumer(std::uint8_t usageLow)
{
    return {0x03, usageLow, 0x00};
}

// Eight positions a column; positions 0-5 carry no key, 53 is the stop-macro entry.
// clang-format off
constexpr std::array<Entry, kKeyBlockPositions> kDefaultEntries{{
    kUnnamed,    kUnnamed,    kUnnamed,        kUnnamed,        kUnnamed,        kUnnamed,      kNone,         kNone,
    Key(0x29),   Key(0x35),   Key(0x2B),       Key(0x39),       Modifier(0x02),  Modifier(0x01), kNone,        kNone,
    Key(0x3A),   Key(0x1E),   Key(0x14),       Key(0x04),       Key(0x1D),       Modifier(0x08), kNone,        kNone,
    Key(0x3B),   Key(0x1F),   Key(0x1A),       Key(0x16),       Key(0x1B),       Modifier(0x04), kNone,        kNone,
    Key(0x3C),   Key(0x20),   Key(0x08),       Key(0x07),       Key(0x06),       Key(0x2C),     Key(0x46),     kNone,
    Key(0x3D),   Key(0x21),   Key(0x15),       Key(0x09),       Key(0x19),       Modifier(0x40), Key(0x47),    kNone,
    Key(0x3E),   Key(0x22),   Key(0x17),       Key(0x0A),       Key(0x05),       {0x05, 0x02, 0x02}, Key(0x2E), kNone,
    Key(0x3F),   Key(0x23),   Key(0x1C),       Key(0x0B),       Key(0x11),       Key(0x65),     Key(0x48),     kNone,
    Key(0x40),   Key(0x24),   Key(0x18),       Key(0x0D),       Key(0x10),       Modifier(0x10), Key(0x49),    kNone,
    Key(0x41),   Key(0x25),   Key(0x0C),       Key(0x0E),       Key(0x36),       Key(0x50),     Key(0x4A),     kNone,
    Key(0x42),   Key(0x26),   Key(0x12),       Key(0x0F),       Key(0x37),       Key(0x51),     Key(0x4B),     kNone,
    Key(0x43),   Key(0x27),   Key(0x13),       Key(0x33),       Key(0x38),       Key(0x52),     Key(0x4C),     kNone,
    Key(0x44),   Key(0x2D),   Key(0x2F),       Key(0x34),       Modifier(0x20),  Key(0x4F),     Key(0x4D),     kNone,
    Key(0x45),   Key(0x2E),   Key(0x30),       Key(0x31),       Key(0x28),       Key(0x2A),     Key(0x4E),     kNone,
    Consumer(0xB6), Key(0x53), Key(0x5F),      Key(0x5C),       Key(0x59),       Key(0x62),     Key(0x56),     kNone,
    Consumer(0xCD), Key(0x54), Key(0x60),      Key(0x5D),       Key(0x5A),       Key(0x63),
}};
// clang-format on

KeyBlockBytes Flatten()
{
    KeyBlockBytes bytes{};
    for (std::size_t position = 0; position < kKeyBlockPositions; ++position) {
        bytes[position * 3] = kDefaultEntries[position].type;
        bytes[position * 3 + 1] = kDefaultEntries[position].b1;
        bytes[position * 3 + 2] = kDefaultEntries[position].b2;
    }
    return bytes;
}

}  // namespace

const KeyBlockBytes& BuiltInDefaultKeyBlock()
{
    static const KeyBlockBytes block = Flatten();
    return block;
}

}  // namespace tavrin::model
