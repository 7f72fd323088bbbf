#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>

#include "tolvex/tolvex.h"

namespace {

TEST(RequestKeyTable, IsAPermutationThatStartsWithTheFixedEntries)
{
    const std::uint8_t first[] = {253, 134, 209, 202, 219, 213, 204, 94};
    EXPECT_TRUE(std::equal(std::begin(first), std::end(first), kTolvexKeyTable));
    std::array<int, 256> seen{};
    for (std::uint8_t value : kTolvexKeyTable)
        ++seen[value];
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int count) { return count == 1; }));
}

TEST(RequestKey, SumsTheTableOverSelectorCallbackTagAndData)
{
    const InterfaceSelector selector{TOLVEX_MATCH_ALL, 0x0C45, 0x7045, 0xFF1C, 0x0092, 0};
    const std::uint8_t selectorBytes[16] = {0x0F, 0, 0, 0, 0x45, 0x0C, 0x45, 0x70, 0x1C, 0xFF, 0x92, 0x00, 0, 0, 0, 0};
    const std::uint8_t data[] = {4, 0, 0, 1};
    std::uint32_t expected = 0;
    for (std::uint8_t byte : selectorBytes)
        expected += kTolvexKeyTable[byte];
    expected += 8 * kTolvexKeyTable[0];  // no callback, no tag
    for (std::uint8_t byte : data)
        expected += kTolvexKeyTable[byte];
    EXPECT_EQ(TolvexRequestKey(&selector, nullptr, 0, data, sizeof data), expected);

    // The tag's four bytes count too.
    const std::uint32_t tag = TOLVEX_TAG_CONTROL;  // 4C 52 54 43
    const std::uint32_t withTag = expected - 4 * kTolvexKeyTable[0] + kTolvexKeyTable[0x4C] + kTolvexKeyTable[0x52]
        + kTolvexKeyTable[0x54] + kTolvexKeyTable[0x43];
    EXPECT_EQ(TolvexRequestKey(&selector, nullptr, tag, data, sizeof data), withTag);
}

}  // namespace
