#include "platform/named_events.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tavrin::platform {
namespace {

TEST(NamedEvents, AreCreatedWithTwoDigitNumbersAndRemovedOnClose)
{
    // A prefix of this test's own, so that a running program's events are not touched.
    const std::string prefix = "TavrinTest_" + std::to_string(::getpid()) + "_";
    NamedEvents events;
    ASSERT_EQ(events.Create(prefix, 101), 101);
    EXPECT_EQ(events.Names().front(), "/" + prefix + "Main_01");
    EXPECT_EQ(events.Names().back(), "/" + prefix + "Main_101");
    EXPECT_TRUE(std::filesystem::exists("/dev/shm/sem." + prefix + "Main_101"));
    events.Close();
    EXPECT_FALSE(std::filesystem::exists("/dev/shm/sem." + prefix + "Main_01"));
    EXPECT_TRUE(events.Names().empty());
}

}  // namespace
}  // namespace tavrin::platform
