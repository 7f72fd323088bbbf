#include "model/macro_block.h"

#include <gtest/gtest.h>
#include <random>

#include "model/key_table.h"

namespace tavrin::model {
namespace {

using Bytes = std::vector<std::uint8_t>;

MacroRecord Macro(std::u16string_view name, std::initializer_list<MacroAction> actions, std::uint8_t cycles = 1)
{
    MacroRecord record = EmptyMacroRecord();
    SetMacroName(record, name);
    record.cycles = cycles;
    for (const MacroAction& action : actions)
        record.actions[record.actionCount++] = action;
    return record;
}

TEST(MacroBlock, AnEmptyListIsSixteenBytes)
{
    const MacroList empty;
    const MacroBlockSizes sizes = ComputeMacroBlockSizes(empty);
    EXPECT_EQ(sizes.withNames, 16u);
    EXPECT_EQ(sizes.withoutNames, 16u);
    EXPECT_EQ(EncodeMacroBlock(empty, true, 16), (Bytes{0xAA, 0x55, 16, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(DecodeMacroBlock(EncodeMacroBlock(empty, true, 16), u"Macro").empty());
}

TEST(MacroBlock, ActionsAreWrittenAsTheKeyboardExpects)
{
    const MacroList list = {Macro(u"Shift", {{0, 0x02A, 0}, {0, 0x02A, 1}, {255, 0x01E, 0}, {40000, kMouseRight, 1}})};
    const MacroBlockSizes sizes = ComputeMacroBlockSizes(list);
    EXPECT_EQ(sizes.withoutNames, 16u + 2 + 4 + 4 * 4);
    EXPECT_EQ(sizes.withNames, sizes.withoutNames + 2 * 5);
    const Bytes block = EncodeMacroBlock(list, true, sizes.withNames);
    EXPECT_EQ(block[16] | block[17] << 8, 18) << "offset of the first record";
    const Bytes record(block.begin() + 18, block.end());
    EXPECT_EQ(Bytes(record.begin(), record.begin() + 4), (Bytes{4, 0, 1, 5}));
    EXPECT_EQ(Bytes(record.begin() + 4, record.begin() + 8), (Bytes{0x00, 0xA0, 0x01, 0x02})) << "Left Shift down";
    EXPECT_EQ(Bytes(record.begin() + 8, record.begin() + 12), (Bytes{0x00, 0x20, 0x01, 0x02})) << "Left Shift up";
    EXPECT_EQ(Bytes(record.begin() + 12, record.begin() + 16), (Bytes{25, 0xA0, 0x02, 0x04})) << "A after 250 ms";
    EXPECT_EQ(Bytes(record.begin() + 16, record.begin() + 20), (Bytes{0xA0, 0x1F, 0x01, 0x02}))
        << "right button up after 40000 ms: 4000 in twelve bits";
    EXPECT_EQ(Bytes(record.begin() + 20, record.end()), (Bytes{'S', 0, 'h', 0, 'i', 0, 'f', 0, 't', 0}));

    const MacroList back = DecodeMacroBlock(block, u"Macro");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].actions[2].delay, 250u) << "255 ms is kept as 250 ms";
    EXPECT_EQ(back[0].actions[3].delay, 40000u);
    EXPECT_EQ(back[0].actions[3].key, kMouseRight);
    EXPECT_EQ(MacroName(back[0]), u"Shift");
}

TEST(MacroBlock, RecordsWithoutNamesAreNumberedFromTheBlockOrder)
{
    const MacroList list = {Macro(u"one", {{0, 0x01E, 0}}), Macro(u"two", {}), Macro(u"three", {})};
    const Bytes block = EncodeMacroBlock(list, false, ComputeMacroBlockSizes(list).withoutNames);
    EXPECT_EQ(block[6], 0) << "names flag";
    const MacroList back = DecodeMacroBlock(block, u"Macro ");
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(MacroName(back[0]), u"Macro 1");
    EXPECT_EQ(MacroName(back[2]), u"Macro 3");
    EXPECT_EQ(back[2].id, 3);
}

TEST(MacroBlock, ListsSurviveTheRoundTrip)
{
    // Keys whose device form names them and nothing else.
    std::vector<KeyCode> keys = {kMouseLeft, kMouseRight, kMouseMiddle, kWheelUp, kWheelDown};
    for (const KeyButton& button : KeyButtonsInOrder())
        keys.push_back(button.code);
    std::mt19937 random(20261210);
    for (int trial = 0; trial < 50; ++trial) {
        MacroList list;
        const int count = static_cast<int>(random() % 12);
        for (int m = 0; m < count; ++m) {
            MacroRecord record = EmptyMacroRecord();
            record.id = static_cast<std::uint16_t>(m + 1);
            record.cycles = static_cast<std::uint8_t>(1 + random() % 255);
            std::u16string name;
            for (std::size_t c = random() % 30; c > 0; --c)
                name.push_back(static_cast<char16_t>(u'a' + random() % 26));
            SetMacroName(record, name.empty() ? u"x" : name);
            record.actionCount = static_cast<std::uint16_t>(random() % 40);
            for (std::size_t a = 0; a < record.actionCount; ++a)
                record.actions[a] = {static_cast<std::uint32_t>(random() % 40001), keys[random() % keys.size()],
                    static_cast<std::uint16_t>(random() % 2)};
            list.push_back(record);
        }
        const MacroList back
            = DecodeMacroBlock(EncodeMacroBlock(list, true, ComputeMacroBlockSizes(list).withNames), u"Macro");
        ASSERT_EQ(back.size(), list.size());
        for (std::size_t m = 0; m < list.size(); ++m) {
            MacroRecord expected = list[m];
            for (std::size_t a = 0; a < expected.actionCount; ++a)
                expected.actions[a].delay -= expected.actions[a].delay % 10;
            EXPECT_EQ(back[m], expected) << "trial " << trial << ", macro " << m;
        }
    }
}

TEST(MacroBlock, DecodingStaysInsideTheBytesWhateverTheBlockSays)
{
    const MacroList two = {Macro(u"first", {{10, 0x01E, 0}, {10, 0x01E, 1}}), Macro(u"second", {{0, 0x030, 0}})};
    const Bytes good = EncodeMacroBlock(two, true, ComputeMacroBlockSizes(two).withNames);
    auto patched = [&](std::size_t at, std::uint16_t value) {
        Bytes bytes = good;
        bytes[at] = static_cast<std::uint8_t>(value);
        bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
        return bytes;
    };
    const std::size_t second = good[18] | good[19] << 8;
    struct Case {
        const char* name;
        Bytes bytes;
        std::size_t macros;
        std::size_t firstActions;
        std::u16string secondName;
    };
    const Case cases[] = {
        {"intact", good, 2, 2, u"second"},
        {"cut inside the second record", Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(second + 2)), 1,
            2, u""},
        {"a stated length shorter than the bytes", patched(2, static_cast<std::uint16_t>(second)), 1, 2, u""},
        {"a count of 60000", patched(4, 60000), 2, 2, u"second"},
        {"an offset past the end", patched(18, 0xFFF0), 1, 2, u""},
        {"an offset inside the header", patched(18, 3), 1, 2, u""},
        {"an action count of 65535", patched(20, 65535), 2, (good.size() - 24) / 4, u"second"},
        {"no magic", patched(0, 0x1234), 0, 0, u""},
        {"only a header", Bytes(good.begin(), good.begin() + 16), 0, 0, u""},
        {"nothing", Bytes{}, 0, 0, u""},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        const MacroList back = DecodeMacroBlock(item.bytes, u"M");
        ASSERT_EQ(back.size(), item.macros);
        if (item.macros > 0) {
            EXPECT_EQ(back[0].actionCount, item.firstActions);
        }
        if (item.macros > 1) {
            EXPECT_EQ(MacroName(back[1]), item.secondName);
        }
    }

    // A name longer than the block holds falls back to the generated one; 255 units are cut to 249.
    Bytes longName = good;
    longName[second + 3] = 200;
    EXPECT_EQ(MacroName(DecodeMacroBlock(longName, u"M")[1]), u"M2");
    MacroRecord huge = Macro(std::u16string(249, u'n'), {});
    Bytes block = EncodeMacroBlock({huge}, true, ComputeMacroBlockSizes({huge}).withNames + 12);
    block[18 + 3] = 255;
    EXPECT_EQ(MacroName(DecodeMacroBlock(block, u"M")[0]).size(), 249u);
}

TEST(MacroRecords, IdsAndPositions)
{
    MacroList list = {Macro(u"a", {}), Macro(u"b", {}), Macro(u"c", {})};
    list[0].id = 1;
    list[1].id = 3;
    list[2].id = 3;
    EXPECT_EQ(FindMacroPosition(list, 3), 1u) << "the first record with the id";
    EXPECT_EQ(FindMacroPosition(list, 9), 0u) << "an id nobody has";
    EXPECT_EQ(AllocateMacroId(list), 2);
    MacroList full(kMaxMacros, EmptyMacroRecord());
    for (std::size_t i = 0; i < full.size(); ++i)
        full[i].id = static_cast<std::uint16_t>(i + 1);
    EXPECT_EQ(AllocateMacroId(full), 0);
    full.pop_back();
    EXPECT_EQ(AllocateMacroId(full), 100) << "the last free id is a real one";
}

}  // namespace
}  // namespace tavrin::model
