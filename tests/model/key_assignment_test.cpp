#include "model/key_assignment.h"

#include <gtest/gtest.h>
#include <random>

#include "model/assignable_functions.h"
#include "profiles/profile_data.h"
#include "profiles/working_copy_edits.h"

namespace tavrin::model {
namespace {

using profiles::ClearProfileAssignments;
using profiles::KeysPlayingMacro;
using profiles::StoreAssignment;

using Records = std::array<KeyRecord, kRecordsPerBlock>;

Records BlankRecords()
{
    Records records{};
    for (int g = 0; g < static_cast<int>(kGKeyCount); ++g) {
        records[GRecord(g, 0)].aux = GCode(g, 0);
        records[GRecord(g, 1)].aux = GCode(g, 1);
    }
    return records;
}

KeyBlockBytes Encode(const Records& records, const MacroList& macros = {})
{
    return EncodeKeyBlock(KeyBlockRecords(records), macros, BuiltInDefaultKeyBlock());
}

Records Decode(const KeyBlockBytes& block)
{
    Records records{};
    DecodeKeyBlock(block, records, BuiltInDefaultKeyBlock());
    return records;
}

KeyRecord& RecordOf(Records& records, KeyCode code)
{
    return records[IndexFromCode(code)];
}

TEST(KeyBlock, DefaultDataEncodesToTheDefaultBlock)
{
    EXPECT_EQ(Encode(BlankRecords()), BuiltInDefaultKeyBlock());
    EXPECT_EQ(Decode(BuiltInDefaultKeyBlock()), BlankRecords());
}

TEST(KeyBlock, AssignmentsBecomeTheKeyboardsEntries)
{
    struct Case {
        const char* name;
        KeyCode key;
        KeyRecord record;
        std::vector<std::size_t> positions;
        KeyBlockEntry entry;
    };
    const Case cases[] = {
        {"Right Alt on A", 0x01E, {KIND_KEY, 0, 0x138, 0, 0}, {19}, {0x02, 0x01, 0x40}},
        {"Mute as a key", 0x01E, {KIND_KEY, 0, 0x120, 0, 0}, {19}, {0x02, 0x02, 0xCD}},
        {"Mute as a media function", 0x01E, {KIND_MEDIA, 0, 7, 0, 0}, {19}, {0x03, 0xE2, 0x00}},
        {"the wheel down", 0x01E, {KIND_KEY, 0, kWheelDown, 0, 0}, {19}, {0x01, 0x05, 0xFF}},
        {"= moves both its positions", 0x00D, {KIND_KEY, 0, 0x01E, 0, 0}, {54, 105}, {0x02, 0x02, 0x04}},
        {"a program keeps the default", 0x001, {KIND_PROGRAM, 0, 0, 0, 0}, {8}, {0x02, 0x02, 0x29}},
        {"a text disables the key", 0x001, {KIND_TEXT, 0, 0, 0, 0}, {8}, {0x00, 0x00, 0x00}},
        {"stop the macro", 0x001, {KIND_STOP_MACRO, 0, 0, 0, 0}, {8}, {0x05, 0x02, 0x00}},
        {"function key 10", 0x001, {KIND_FUNCTION, 0, 10, 0, 0}, {8}, {0x05, 0x05, 0x0A}},
        {"an unknown kind keeps the default", 0x001, {9, 0, 3, 0, 0}, {8}, {0x02, 0x02, 0x29}},
        {"the key of no code sends nothing", 0x01E, {KIND_KEY, 0, 0, 0, 0}, {19}, {0x02, 0x02, 0x00}},
        {"a macro id nobody has", 0x001, {KIND_MACRO, 0, 42, 0, 0}, {8}, {0x05, 0x01, 0x00}},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        Records records = BlankRecords();
        RecordOf(records, item.key) = item.record;
        const KeyBlockBytes block = Encode(records);
        for (std::size_t position : item.positions)
            EXPECT_EQ(EntryAt(block, position), item.entry) << "position " << position;
    }
}

TEST(KeyBlock, AConsumerEntryCarriesItsUsageLowByteFirst)
{
    for (std::uint16_t usage : {0x00CD, 0x00E2, 0x018A}) {
        SCOPED_TRACE(usage);
        const KeyCode key = KeyCodeOfUsage(12, usage);
        ASSERT_NE(key, kNoKey);
        EXPECT_EQ(EntryIdentity({0x03, static_cast<std::uint8_t>(usage), static_cast<std::uint8_t>(usage >> 8)}), key);
    }
}

TEST(KeyBlock, EntriesReadFromTheKeyboardBecomeRecords)
{
    struct Case {
        const char* name;
        KeyBlockEntry entry;
        std::uint16_t kind;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"another key", {0x02, 0x01, 0x40}, KIND_KEY, 0x138},
        {"a usage naming no key", {0x02, 0x02, 0x00}, KIND_DISABLED, 0},
        {"a modifier entry without bits", {0x02, 0x01, 0x00}, KIND_KEY, 0},
        {"the first macro", {0x05, 0x01, 0x00}, KIND_MACRO, 1},
        {"a media usage", {0x03, 0xE2, 0x00}, KIND_MEDIA, 7},
        {"a usage outside the media list", {0x03, 0x8B, 0x01}, KIND_DISABLED, 0},
        {"an unknown special entry", {0x05, 0x07, 0x01}, KIND_DISABLED, 0},
        {"the wheel down", {0x01, 0x05, 0xFF}, KIND_KEY, kWheelDown},
        {"an unlisted button pair", {0x01, 0x01, 0x06}, KIND_KEY, kMouseRight},
        {"an unlisted wheel step", {0x01, 0x05, 0x02}, KIND_KEY, kWheelUp},
        {"an unlisted mouse entry", {0x01, 0x07, 0x01}, KIND_DISABLED, 0},
        {"an unknown type", {0x09, 0x01, 0x02}, KIND_DISABLED, 0},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        KeyBlockBytes block = BuiltInDefaultKeyBlock();
        block[19 * 3] = item.entry.type;
        block[19 * 3 + 1] = item.entry.b1;
        block[19 * 3 + 2] = item.entry.b2;
        Records records = Decode(block);
        EXPECT_EQ(RecordOf(records, 0x01E).kind, item.kind);
        EXPECT_EQ(RecordOf(records, 0x01E).value, item.value);
    }
}

TEST(KeyBlock, EveryRepresentableAssignmentSurvivesTheRoundTrip)
{
    // Keys the block can name and decode back to themselves.
    std::vector<KeyCode> targets = {kMouseLeft, kMouseRight, kMouseMiddle, kWheelUp, kWheelDown};
    for (const KeyButton& button : KeyButtonsInOrder())
        targets.push_back(button.code);
    MacroList macros(20, EmptyMacroRecord());
    for (std::size_t i = 0; i < macros.size(); ++i)
        macros[i].id = static_cast<std::uint16_t>(i + 1);

    std::vector<KeyCode> keys;  // keys that have a place in the key block
    for (std::size_t position = 0; position < kKeyBlockPositions; ++position)
        if (const KeyCode key = EntryIdentity(EntryAt(BuiltInDefaultKeyBlock(), position)))
            keys.push_back(key);

    std::mt19937 random(7);
    for (int trial = 0; trial < 200; ++trial) {
        Records records = BlankRecords();
        for (KeyCode key : keys) {
            KeyRecord& record = RecordOf(records, key);
            switch (random() % 7) {
            case 0:
                record = KeyRecord{};
                break;
            case 1:
                record = {KIND_DISABLED, 0, 0, 0, 0};
                break;
            case 2:
                record = {KIND_KEY, 0, targets[random() % targets.size()], 0, 0};
                break;
            case 3:
                record = {KIND_MACRO, 0, static_cast<std::uint32_t>(1 + random() % macros.size()), 0, 0};
                break;
            case 4:
                record = {KIND_STOP_MACRO, 0, 0, 0, 0};
                break;
            case 5:
                record = {KIND_MEDIA, 0, static_cast<std::uint32_t>(random() % kMediaFunctionCount), 0, 0};
                break;
            default:
                record = {KIND_FUNCTION, 0, static_cast<std::uint32_t>(random() % 11), 0, 0};
                break;
            }
        }
        // An assignment that writes the key's own default entry reads back as the default.
        Records expected = records;
        for (KeyCode key : keys) {
            KeyRecord& record = RecordOf(expected, key);
            const KeyBlockBytes alone = [&] {
                Records single = BlankRecords();
                RecordOf(single, key) = record;
                return Encode(single, macros);
            }();
            if (alone == BuiltInDefaultKeyBlock())
                record = KeyRecord{};
        }
        EXPECT_EQ(Decode(Encode(records, macros)), expected) << "trial " << trial;
    }
}

class WorkingCopyTest : public ::testing::Test {
protected:
    profiles::ProfileData working_;
};

TEST_F(WorkingCopyTest, StoringKeepsTextsOnlyForProgramsAndTexts)
{
    StoreAssignment(working_, 1, 0x1E, KIND_TEXT, 0, 0, u"hello");
    EXPECT_EQ(working_.texts[512 + 0x1E], u"hello");
    EXPECT_EQ(working_.textBytes, 12u);
    StoreAssignment(working_, 1, 0x1E, KIND_KEY, 0, 0x030, u"ignored");
    EXPECT_FALSE(working_.texts[512 + 0x1E].has_value());
    EXPECT_EQ(working_.textBytes, 0u);
    EXPECT_EQ(working_.Record(1, 0x1E).value, 0x030u);
    StoreAssignment(working_, 4, 0, KIND_KEY, 0, 1, std::nullopt);    // no such profile
    StoreAssignment(working_, 0, 512, KIND_KEY, 0, 1, std::nullopt);  // no such record
    EXPECT_EQ(working_.Record(3, 511), KeyRecord{});
}

TEST_F(WorkingCopyTest, ClearingTouchesOnlyThePictureKeysAndOneBank)
{
    for (auto& record : working_.records)
        record = {KIND_DISABLED, 0, 0, 1, 0};
    ClearProfileAssignments(working_, 2, 1);
    EXPECT_EQ(working_.Record(2, IndexFromCode(0x01E)), KeyRecord{});
    EXPECT_EQ(working_.Record(2, GRecord(4, 1)), KeyRecord{});
    EXPECT_EQ(working_.Record(2, GRecord(4, 0)).kind, KIND_DISABLED) << "the other bank stays";
    EXPECT_EQ(working_.Record(2, IndexFromCode(0x120)).kind, KIND_DISABLED) << "a key off the picture stays";
    EXPECT_EQ(working_.Record(1, IndexFromCode(0x01E)).kind, KIND_DISABLED) << "other profiles stay";
}

TEST_F(WorkingCopyTest, FindsTheKeysThatPlayAMacro)
{
    working_.Record(1, GRecord(0, 0)) = {KIND_MACRO, 0, 5, 0, 0};
    EXPECT_FALSE(KeysPlayingMacro(working_, 1, 5)) << "the active profile's first G record is skipped";
    working_.Record(2, 0x10) = {KIND_MACRO, 0, 0x10005, 0, 0};
    EXPECT_TRUE(KeysPlayingMacro(working_, 1, 5)) << "later blocks count, by the low 16 bits";
    EXPECT_FALSE(KeysPlayingMacro(working_, 3, 5));
    EXPECT_TRUE(KeysPlayingMacro(working_, -1, 5)) << "an unknown profile examines from block 0";
}

}  // namespace
}  // namespace tavrin::model
