#include "platform/atomic_file.h"
#include "support/temporary_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tavrin::platform {
namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder_;
};

TEST_F(AtomicFileTest, ReplacesTheFileWholeAndLeavesNoTemporary)
{
    const std::string path = folder_.File("profile");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "first", error)) << error;
    ASSERT_TRUE(WriteFileAtomically(path, "second", error, false)) << error;
    EXPECT_EQ(ReadWholeFile(path, 100), "second");
    EXPECT_EQ(folder_.Count(), 1u);
    EXPECT_FALSE(ReadWholeFile(path, 3).has_value()) << "over the limit";
    EXPECT_FALSE(ReadWholeFile(folder_.File("absent"), 100).has_value());
}

TEST_F(AtomicFileTest, CreatesMissingFoldersButAFailedWriteKeepsTheOldFile)
{
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(folder_.File("a/b/c.ini"), "x", error)) << error;

    const std::string kept = folder_.File("kept.ini");
    ASSERT_TRUE(WriteFileAtomically(kept, "old", error));
    // A folder standing where the file should be cannot be replaced by a rename.
    const std::string blocked = folder_.File("blocked");
    std::filesystem::create_directories(blocked + "/inside");
    EXPECT_FALSE(WriteFileAtomically(blocked, "new", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadWholeFile(kept, 100), "old");
    EXPECT_EQ(folder_.Count(), 3u) << "no temporary file left behind";
}

}  // namespace
}  // namespace tavrin::platform
