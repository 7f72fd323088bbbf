#include "model/default_key_block.h"

#include <gtest/gtest.h>

namespace tavrin::model {
namespace {

TEST(BuiltInDefaultKeyBlock, HoldsTheListedEntries)
{
    const KeyBlockBytes& block = BuiltInDefaultKeyBlock();
    struct Case {
        int position;
        std::uint8_t type, b1, b2;
    };
    const Case cases[] = {
        {0, 0x05, 0x00, 0x00},
        {5, 0x05, 0x00, 0x00},
        {6, 0x00, 0x00, 0x00},
        {8, 0x02, 0x02, 0x29},
        {12, 0x02, 0x01, 0x02},
        {13, 0x02, 0x01, 0x01},
        {21, 0x02, 0x01, 0x08},
        {38, 0x02, 0x02, 0x46},
        {45, 0x02, 0x01, 0x40},
        {53, 0x05, 0x02, 0x02},
        {54, 0x02, 0x02, 0x2E},
        {61, 0x02, 0x02, 0x65},
        {76, 0x02, 0x02, 0x36},
        {100, 0x02, 0x01, 0x20},
        {105, 0x02, 0x02, 0x2E},
        {109, 0x02, 0x02, 0x2A},
        {112, 0x03, 0xB6, 0x00},
        {119, 0x00, 0x00, 0x00},
        {120, 0x03, 0xCD, 0x00},
        {125, 0x02, 0x02, 0x63},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.position);
        EXPECT_EQ(block[item.position * 3], item.type);
        EXPECT_EQ(block[item.position * 3 + 1], item.b1);
        EXPECT_EQ(block[item.position * 3 + 2], item.b2);
    }
}

}  // namespace
}  // namespace tavrin::model
