#include "lighting/lighting_defaults.h"

#include <gtest/gtest.h>

namespace tavrin::lighting {
namespace {

TEST(DefaultLightingRecord, MatchesTheFactoryBytes)
{
    const std::array<std::uint8_t, kDefaultRecordSize> expected{0x01, 0x18, 0x03, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x08,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(DefaultLightingRecord(), expected);
}

TEST(DefaultKeyColours, ColoursOnlyTheListedLeds)
{
    const auto& table = DefaultKeyColours();
    auto colour = [&](int led) {
        return std::array<std::uint8_t, 3>{table[led * 3], table[led * 3 + 1], table[led * 3 + 2]};
    };
    using Rgb = std::array<std::uint8_t, 3>;
    EXPECT_EQ(colour(29), (Rgb{255, 0, 0}));
    EXPECT_EQ(colour(31), (Rgb{0, 0, 0}));
    EXPECT_EQ(colour(33), (Rgb{255, 0, 0}));
    EXPECT_EQ(colour(49), (Rgb{0, 255, 0}));
    EXPECT_EQ(colour(54), (Rgb{0, 255, 0}));
    EXPECT_EQ(colour(74), (Rgb{0, 0, 255}));
    EXPECT_EQ(colour(95), (Rgb{255, 255, 0}));
    EXPECT_EQ(colour(109), (Rgb{0, 255, 128}));
    int coloured = 0;
    for (int led = 0; led < 170; ++led)
        coloured += colour(led) != Rgb{0, 0, 0} ? 1 : 0;
    EXPECT_EQ(coloured, 4 + 6 + 5 + 3 + 1);
}

}  // namespace
}  // namespace tavrin::lighting
