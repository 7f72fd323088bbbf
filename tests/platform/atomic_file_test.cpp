#include "platform/atomic_file.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tavrin::platform {
namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path()
            / ("tavrin-atomic-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::size_t FilesInFolder() const
    {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder_), {}));
    }

    std::filesystem::path folder_;
};

TEST_F(AtomicFileTest, ReplacesTheFileWholeAndLeavesNoTemporary)
{
    const std::string path = (folder_ / "profile").string();
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "first", error)) << error;
    ASSERT_TRUE(WriteFileAtomically(path, "second", error, false)) << error;
    EXPECT_EQ(ReadWholeFile(path, 100), "second");
    EXPECT_EQ(FilesInFolder(), 1u);
    EXPECT_FALSE(ReadWholeFile(path, 3).has_value()) << "over the limit";
    EXPECT_FALSE(ReadWholeFile((folder_ / "absent").string(), 100).has_value());
}

TEST_F(AtomicFileTest, CreatesMissingFoldersButAFailedWriteKeepsTheOldFile)
{
    std::string error;
    ASSERT_TRUE(WriteFileAtomically((folder_ / "a" / "b" / "c.ini").string(), "x", error)) << error;

    const std::string kept = (folder_ / "kept.ini").string();
    ASSERT_TRUE(WriteFileAtomically(kept, "old", error));
    // A folder standing where the file should be cannot be replaced by a rename.
    const std::string blocked = (folder_ / "blocked").string();
    std::filesystem::create_directories(blocked + "/inside");
    EXPECT_FALSE(WriteFileAtomically(blocked, "new", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadWholeFile(kept, 100), "old");
    EXPECT_EQ(FilesInFolder(), 3u) << "no temporary file left behind";
}

}  // namespace
}  // namespace tavrin::platform
