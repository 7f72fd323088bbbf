// libTolvex.so as the program binds it: dlopen from the binary folder and dlsym of each export.
#include <gtest/gtest.h>

#include "support/tolvex_library.h"

namespace tavrin::testing {
namespace {

TEST(LibraryExports, AllTwelveResolve)
{
    std::vector<std::string> missing;
    const TolvexLibrary library = TolvexLibrary::Load(&missing);
    EXPECT_TRUE(missing.empty()) << "missing: " << ::testing::PrintToString(missing);
    EXPECT_TRUE(library.Complete());
}

TEST(LibraryExports, CallsBeforeInitAndWithBadArgumentsReturnZero)
{
    const TolvexLibrary library = TolvexLibrary::Load();
    ASSERT_TRUE(library.Complete());
    const InterfaceSelector control = ControlSelector();
    const std::uint32_t key = TolvexRequestKey(&control, nullptr, 0, nullptr, 0);
    EXPECT_EQ(library.RequestGetDeviceCount(&control, nullptr, 0, key, nullptr), 0) << "not initialised";
    EXPECT_EQ(library.RequestGetDeviceCount(nullptr, nullptr, 0, key, nullptr), 0);
    EXPECT_EQ(library.RequestWriteOne(&control, nullptr, 0, nullptr, 64, key, nullptr), 0);
    EXPECT_EQ(library.RequestStatusGet(&control, nullptr, 0, nullptr, 0, key, nullptr), 0);
    EXPECT_EQ(library.DeleteRequestFromUnitId(77), 0);
    EXPECT_EQ(library.DeleteRequestFromHandle(nullptr), 0);
}

}  // namespace
}  // namespace tavrin::testing
