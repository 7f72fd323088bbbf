// The effect table, the effect list's positions and which controls each effect shows.
#include "lighting/lighting_modes.h"

#include <gtest/gtest.h>

namespace tavrin::lighting {
namespace {

TEST(LightingModesTest, EachEffectUsesItsControls)
{
    // speed, direction, colour group, colourful byte on selection: a row per effect.
    struct Row {
        int mode;
        const char* expected;  // S = speed, L/U/R = left-right, up-down, rings, H/F = colour group, C = colourful byte
    };
    const Row rows[] = {{1, "SLHC"}, {2, "SLHC"}, {3, "SLHC"}, {4, "S"}, {5, "SHC"}, {6, "F"}, {7, "SHC"}, {8, "SHC"},
        {9, "SHC"}, {10, "SH"}, {11, "S"}, {12, "SU"}, {13, "SHC"}, {14, "SHC"}, {15, "SHC"}, {16, "F"}, {17, ""},
        {18, "R"}, {19, ""}};
    for (const Row& row : rows) {
        const ModeTraits traits = *TraitsOf(row.mode);
        std::string got;
        if (traits.speed)
            got += 'S';
        got += traits.direction == DirectionSet::LeftRight   ? "L"
            : traits.direction == DirectionSet::UpDown       ? "U"
            : traits.direction == DirectionSet::SpreadGather ? "R"
                                                             : "";
        got += traits.colours == ColourGroup::HX ? "H" : traits.colours == ColourGroup::FY ? "F" : "";
        if (traits.sendsColourful)
            got += 'C';
        EXPECT_EQ(got, row.expected) << "effect " << row.mode;
    }
    EXPECT_FALSE(TraitsOf(0));
    EXPECT_FALSE(TraitsOf(20));
}

TEST(LightingModesTest, TheEffectListHoldsOnlyOfferedEffectsInOrder)
{
    ModeList list{};
    for (int i = 0; i < 10; ++i)
        list[static_cast<std::size_t>(2 * i)] = static_cast<std::uint8_t>(i + 1);  // empty entries between
    ModeTable table;
    table.Rebuild(list);
    EXPECT_EQ(table.Count(), 10);
    EXPECT_EQ(table.ModeAt(0), 1);
    EXPECT_EQ(table.ModeAt(9), 10);
    EXPECT_EQ(table.ModeAt(10), 0);
    EXPECT_EQ(table.ModeAt(-1), 0);
    EXPECT_EQ(table.PositionOf(7), 6);
    EXPECT_EQ(table.PositionOf(19), -1);
    EXPECT_FALSE(table.Offers(19));

    list[3] = 7;  // a repeated number: the first position holds it
    table.Rebuild(list);
    EXPECT_EQ(table.PositionOf(7), 2);
}

TEST(LightingModesTest, ControlsShowByEffectPanelAndProfile)
{
    const unsigned always = kShowEffects | kShowBrightness | kShowAmbient;
    struct Row {
        int mode;
        unsigned shown;
    };
    const Row rows[] = {
        {1, always | kShowSpeed | kShowDirection | kShowColoursHX}, {6, always | kShowColoursFY},
        {12, always | kShowSpeed | kShowDirection}, {17, always | kShowFixedColours}, {18, always | kShowDirection},
        {19, always | kShowPerKeyTools},
        {42, kShowEffects | kShowAmbient},  // unknown: another effect can still be chosen
    };
    for (const Row& row : rows)
        EXPECT_EQ(VisibleLightingControls(row.mode, true, true, 2), row.shown) << "effect " << row.mode;
    EXPECT_EQ(VisibleLightingControls(1, true, true, 1) & kShowAmbientColour, kShowAmbientColour);
    EXPECT_EQ(VisibleLightingControls(1, false, true, 1), 0u) << "panel closed";
    EXPECT_EQ(VisibleLightingControls(1, true, false, 1), 0u) << "default profile";
}

TEST(LightingModesTest, DirectionPicturesFollowTheEffect)
{
    EXPECT_STREQ(DirectionPicturesOf(2).secondSelected, "rightdown.bmp");
    EXPECT_STREQ(DirectionPicturesOf(2).layoutSuffix, "2");
    EXPECT_STREQ(DirectionPicturesOf(12).firstSelected, "updown.bmp");
    EXPECT_STREQ(DirectionPicturesOf(12).layoutSuffix, "3");
    EXPECT_STREQ(DirectionPicturesOf(18).first, "kuosan.bmp");
    EXPECT_STREQ(DirectionPicturesOf(18).layoutSuffix, "");
    EXPECT_STREQ(DirectionPicturesOf(5).first, "leftup.bmp");
}

}  // namespace
}  // namespace tavrin::lighting
