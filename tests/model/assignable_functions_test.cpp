#include "model/assignable_functions.h"
#include "profiles/settings_store.h"

#include <gtest/gtest.h>

#include "model/language_texts.h"

namespace tavrin::model {
namespace {

const std::string kShippedData = std::string(TAVRIN_DATA_FOLDER) + "/";

TEST(MediaFunctions, EntriesAndUsages)
{
    const auto mute = MediaFunction(7);
    ASSERT_TRUE(mute);
    EXPECT_EQ(mute->code, 0x120);
    EXPECT_EQ(mute->usage, 0xE2);
    EXPECT_EQ(MediaFunction(0)->code, 0x16D);
    EXPECT_EQ(MediaFunction(17)->usage, 0x18A);
    for (int n : {-1, 18, 1000})
        EXPECT_FALSE(MediaFunction(n)) << n;

    struct Case {
        std::uint16_t usage;
        std::optional<int> n;
    };
    const Case cases[] = {{0xE2, 7}, {0x183, 0}, {0x18A, 17}, {0xCD, 1}, {0x18B, std::nullopt}, {0, std::nullopt},
        {0xE2E2, std::nullopt}};
    for (const Case& item : cases)
        EXPECT_EQ(MediaIndexOfUsage(item.usage), item.n) << std::hex << item.usage;
}

// The media list and the key table are two descriptions of the same keys: each entry's key code
// has a row whose consumer device code sends the entry's usage.
TEST(MediaFunctions, AgreeWithTheKeyTable)
{
    for (int n = 0; n < static_cast<int>(kMediaFunctionCount); ++n) {
        const MediaFunctionEntry entry = *MediaFunction(n);
        const KeyRow& row = KeyTableRow(IndexFromCode(entry.code));
        ASSERT_GE(row.deviceCode, 0xC0) << n;
        EXPECT_EQ(ConsumerUsage(row.deviceCode - 0xC0u), entry.usage) << n;
        EXPECT_EQ(KeyCodeOfUsage(12, entry.usage), entry.code) << n;
        EXPECT_EQ(MediaIndexOfUsage(entry.usage), n) << "usages are unique";
        EXPECT_GE(row.listPosition, 106) << n;
        EXPECT_LE(row.listPosition, 123) << n;
    }
}

TEST(MouseFunctions, KeepTheirNamePairing)
{
    struct Case {
        int n;
        KeyCode code;
        std::string_view nameKey;
    };
    const Case cases[] = {
        {0, 0x171, "IDS_MOUSE_LEFT"},
        {1, 0x172, "IDS_MOUSE_MID"},
        {2, 0x173, "IDS_MOUSE_RIGHT"},
        {3, 0x161, "IDS_ROLL_UP"},
        {4, 0x162, "IDS_ROLL_DOWN"},
    };
    for (const Case& item : cases) {
        const auto entry = MouseFunction(item.n);
        ASSERT_TRUE(entry) << item.n;
        EXPECT_EQ(entry->code, item.code) << item.n;
        EXPECT_EQ(entry->nameKey, item.nameKey) << item.n;
        EXPECT_EQ(MouseIndexOfCode(item.code), item.n);
        // The key table's mouse rows carry the device codes F1-F5 in the same order.
        EXPECT_EQ(KeyTableRow(IndexFromCode(item.code)).deviceCode, 0xF1 + item.n) << item.n;
    }
    for (int n : {-1, 5})
        EXPECT_FALSE(MouseFunction(n)) << n;
    EXPECT_FALSE(MouseIndexOfCode(0x174));
    EXPECT_FALSE(MouseIndexOfCode(kNoKey));
}

TEST(FunctionKeys, NameKeysInListOrder)
{
    EXPECT_EQ(FunctionKeyName(0), "IDS_COMPOSITE_FUNC_KEY_OPEN");
    EXPECT_EQ(FunctionKeyName(8), "IDS_COMPOSITE_FUNC_KEY_SELECT_ALL");
    EXPECT_EQ(FunctionKeyName(10), "IDS_COMPOSITE_FUNC_KEY_ZOOMIN");
    for (int n : {-1, 11, 255})
        EXPECT_FALSE(FunctionKeyName(n)) << n;
}

TEST(AssignableFunctions, ShippedEnglishNamesInListOrder)
{
    profiles::SettingsKey settings;  // not opened: English, nothing written
    LanguageTexts texts(kShippedData, settings, 1033);

    const auto media = MediaFunctionNames(texts);
    ASSERT_EQ(media.size(), kMediaFunctionCount);
    EXPECT_EQ(media[0], "Media Player");
    EXPECT_EQ(media[7], "Mute");

    // The list pairs the right button with IDS_MOUSE_MID and the middle one with IDS_MOUSE_RIGHT; the
    // language files carry their texts that way round, so each entry reads as what it does.
    EXPECT_EQ(MouseFunctionNames(texts),
        (std::vector<std::string>{"Left Button", "Right Button", "Middle Button", "Wheel Up", "Wheel Down"}));

    const auto functionKeys = FunctionKeyNames(texts);
    ASSERT_EQ(functionKeys.size(), kFunctionKeyCount);
    for (const std::string& name : functionKeys)
        EXPECT_FALSE(name.empty() || name == kMissingText) << name;
}

}  // namespace
}  // namespace tavrin::model
