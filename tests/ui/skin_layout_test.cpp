#include "ui/skin_layout.h"

#include <gtest/gtest.h>

#include "skin_files.h"

namespace tavrin::ui {
namespace {

using testing::TemporaryFolder;
using testing::WriteText;

TEST(SkinValueTest, ReadsFourNumbersAsTheFormatDoes)
{
    const struct {
        const char* text;
        SkinRect expected;
    } cases[] = {
        {"10,20,30,40", {10, 20, 30, 40}},
        {"10, 20,  30,\t40", {10, 20, 30, 40}},  // blanks before a number
        {"  10,20,30,40", {10, 20, 30, 40}},
        {"10,20,30,40,x", {10, 20, 30, 40}},  // extra text ignored
        {"10,20,30,40 trailing words", {10, 20, 30, 40}},
        {"1,1,1,1,x", {1, 1, 1, 1}},
        {"-5,+7,30,40", {-5, 7, 30, 40}},
        {"0,0,0,0", {0, 0, 0, 0}},
        // Fewer than four numbers: the ones not given keep the missing-key value.
        {"10,20", {10, 20, 1, 1}},
        {"10,20,30", {10, 20, 30, 1}},
        {"10 ,20,30,40", {10, 1, 1, 1}},  // a blank before the comma ends the reading
        {"10,,30,40", {10, 1, 1, 1}},
        {"10,20,abc,40", {10, 20, 1, 1}},
        {"", {1, 1, 1, 1}},
        {"garbage", {1, 1, 1, 1}},
        {"-,5", {1, 1, 1, 1}},
        // Garbage as a whole: negative sizes and numbers no screen has.
        {"10,20,-30,40", {1, 1, 1, 1}},
        {"10,20,30,-1", {1, 1, 1, 1}},
        {"99999999999999999999,20,30,40", {1, 1, 1, 1}},
        {"10,20,30,2147483648", {1, 1, 1, 1}},
        {"32767,-32767,32767,0", {32767, -32767, 32767, 0}},
        {"32768,0,1,1", {1, 1, 1, 1}},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.text);
        EXPECT_EQ(ParseSkinRect(item.text), item.expected);
    }
}

TEST(SkinValueTest, EachRulePlacesItsWay)
{
    const struct {
        const char* name;
        PlacingRule rule;
        const char* value;
        const char* offsetValue;
        Placement expected;
    } cases[] = {
        {"image button", PlacingRule::ImageButton, "10,20,30,40", "", {10, 20, true, 30, 40, true, 10, 20, false}},
        {"image button at (1, 1) is disabled", PlacingRule::ImageButton, "1,1,30,40", "",
            {1, 1, true, 30, 40, true, 1, 1, true}},
        {"image button at (1, 40) stays enabled", PlacingRule::ImageButton, "1,40,30,40", "",
            {1, 40, true, 30, 40, true, 1, 40, false}},
        {"image button at (40, 1) stays enabled", PlacingRule::ImageButton, "40,1,30,40", "",
            {40, 1, true, 30, 40, true, 40, 1, false}},
        {"image button without its key", PlacingRule::ImageButton, kMissingPlacement, "",
            {1, 1, true, 1, 1, true, 1, 1, true}},
        {"plain control", PlacingRule::Plain, "10,20,30,40", "", {10, 20, true, 30, 40, false, 0, 0, false}},
        {"plain control at (1, 1) stays enabled", PlacingRule::Plain, "garbage", "",
            {1, 1, true, 1, 1, false, 0, 0, false}},
        {"move only", PlacingRule::MoveOnly, "10,20,30,40", "", {10, 20, false, 30, 40, false, 0, 0, false}},
        {"two keys", PlacingRule::TwoKeys, "10,20,30,40", "5,6,99,99", {10, 20, true, 30, 40, true, 5, 6, false}},
        {"two keys without the second", PlacingRule::TwoKeys, "10,20,30,40", kMissingPlacement,
            {10, 20, true, 30, 40, true, 1, 1, false}},
        {"two keys without the first", PlacingRule::TwoKeys, kMissingPlacement, "5,6",
            {1, 1, true, 1, 1, true, 5, 6, true}},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        EXPECT_EQ(PlaceByRule(item.rule, item.value, item.offsetValue), item.expected);
    }
}

TEST(SkinFileTest, ReadsValuesAndFallsBackForMissingFilesAndKeys)
{
    TemporaryFolder folder;
    const std::string file = folder.File("Main.ini");
    WriteText(file,
        "[SCREEN]\nMain=main.jpg\nLink=https://example.org/\n"
        "[BUTTONINFO]\nKEY_004 = 10, 20, 30, 40 \nLONG="
            + std::string(400, '7') + "\n");

    EXPECT_EQ(ReadPlacementValue(file, kPlacementSection, "key_004"), "10, 20, 30, 40");
    EXPECT_EQ(ReadPlacementValue(file, kPlacementSection, "KEY_005"), kMissingPlacement);
    EXPECT_EQ(ReadPlacementValue(file, kArrowOffsetSection, "KEY_004"), kMissingPlacement);
    EXPECT_EQ(ReadPlacementValue(folder.File("none.ini"), kPlacementSection, "KEY_004"), kMissingPlacement);
    EXPECT_EQ(ReadPlacementValue(file, kPlacementSection, "LONG").size(), 259u) << "the 260-unit buffer";
    EXPECT_EQ(ParseSkinRect(ReadPlacementValue(file, kPlacementSection, "LONG")), SkinRect{}) << "a huge number";

    const ScreenPictures pictures = ReadScreenPictures(file);
    EXPECT_EQ(pictures.main, "main.jpg");
    EXPECT_EQ(pictures.mask, "main.jpg") << "the mask defaults to the background";
    EXPECT_EQ(ReadSkinLink(file, "https://fallback/"), "https://example.org/");

    const ScreenPictures none = ReadScreenPictures(folder.File("none.ini"));
    EXPECT_EQ(none.main, "");
    EXPECT_EQ(none.mask, "");
    EXPECT_EQ(ReadSkinLink(folder.File("none.ini"), "https://fallback/"), "https://fallback/");
}

TEST(SkinFileTest, KeysFormedFromNumbers)
{
    EXPECT_EQ(KeyButtonSkinKey(0x04), "KEY_004");
    EXPECT_EQ(KeyButtonSkinKey(0xAB), "KEY_0AB");
    EXPECT_EQ(GButtonSkinKey(9), "FUNC_G9");
    EXPECT_EQ(ArrowOffsetKey(ArrowSide::Left, true, 1), "UP_ARROW_LEFT1");
    EXPECT_EQ(ArrowOffsetKey(ArrowSide::Right, false, 2), "DOWN_ARROW_RIGHT2");
}

}  // namespace
}  // namespace tavrin::ui
