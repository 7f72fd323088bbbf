// Binding tells its failures apart, each from a library built to fail that way.
#include "platform/tolvex_binding.h"

#include <gtest/gtest.h>

namespace tavrin::platform {
namespace {

TEST(TolvexBinding, TellsEachFailureApart)
{
    const std::string libraries = TAVRIN_FAKE_LIBRARIES;
    struct Case {
        std::string folder;
        BindResult result;
        std::string detail;
    };
    const Case cases[] = {
        {libraries + "/absent", BindResult::MissingLibrary, libraries + "/absent/libTolvex.so"},
        {libraries + "/incomplete", BindResult::MissingExport, "RequestStatusSetFeature"},
        {libraries + "/refusing", BindResult::InitFailed, ""},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.folder);
        const TolvexBinding binding = BindTolvexLibrary(item.folder);
        EXPECT_EQ(binding.result, item.result);
        EXPECT_EQ(binding.service, nullptr);
        if (!item.detail.empty()) {
            EXPECT_EQ(binding.detail, item.detail);
        }
    }
}

}  // namespace
}  // namespace tavrin::platform
