#include "platform/atomic_file.h"
#include "support/temporary_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

mode_t ModeOf(const std::string& path)
{
    struct stat status { };
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// Sets the umask for one test and puts the old one back.
class Umask {
public:
    explicit Umask(mode_t mask)
        : saved_(::umask(mask))
    {
    }
    ~Umask() { ::umask(saved_); }

private:
    mode_t saved_;
};

TEST_F(AtomicFileTest, AReplacedFileKeepsItsModeAndANewOneGetsTheAccessAskedFor)
{
    const Umask umask(022);
    std::string error;
    for (mode_t mode : {0600, 0640, 0444}) {
        SCOPED_TRACE(mode);
        const std::string path = folder_.File("kept-" + std::to_string(mode));
        ASSERT_TRUE(WriteFileAtomically(path, "old", error)) << error;
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(WriteFileAtomically(path, "new", error)) << error;
        EXPECT_EQ(ModeOf(path), mode);
        EXPECT_EQ(ReadWholeFile(path, 100), "new");
    }
    ASSERT_TRUE(WriteFileAtomically(folder_.File("private"), "x", error, true, NewFileAccess::Private));
    EXPECT_EQ(ModeOf(folder_.File("private")), 0600u);
    ASSERT_TRUE(WriteFileAtomically(folder_.File("shared"), "x", error));
    EXPECT_EQ(ModeOf(folder_.File("shared")), 0644u) << "0666 less the umask";
}

TEST_F(AtomicFileTest, AWriteThroughALinkReplacesTheFileItNames)
{
    std::filesystem::create_directories(folder_.File("dotfiles"));
    const std::string target = folder_.File("dotfiles/Tavrin.ini");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(target, "old", error));
    const std::string link = folder_.File("Tavrin.ini");
    std::filesystem::create_symlink("dotfiles/Tavrin.ini", link);
    ASSERT_TRUE(WriteFileAtomically(link, "new", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link stays a link";
    EXPECT_EQ(ReadWholeFile(target, 100), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.File("dotfiles")), {}), 1)
        << "no temporary file left beside the target";

    // A link to nothing yet creates the file it names.
    std::filesystem::create_symlink("dotfiles/new.ini", folder_.File("new.ini"));
    ASSERT_TRUE(WriteFileAtomically(folder_.File("new.ini"), "made", error)) << error;
    EXPECT_EQ(ReadWholeFile(folder_.File("dotfiles/new.ini"), 100), "made");
}

TEST_F(AtomicFileTest, ANameAsLongAsANameMayBeSaves)
{
    const std::string path = folder_.File(std::string(250, 'n') + ".tvn");
    std::string error;
    EXPECT_TRUE(WriteFileAtomically(path, "x", error)) << error;
    EXPECT_EQ(ReadWholeFile(path, 100), "x");
}

TEST_F(AtomicFileTest, OnlyRegularFilesAreReadOrReplacedAndAFifoNeverBlocks)
{
    const std::string fifo = folder_.File("settings.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadRegularFile(fifo, 100).has_value());
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(fifo, "x", error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_FALSE(ReadRegularFile(folder_.Path().string(), 100).has_value()) << "a folder";
}

TEST_F(AtomicFileTest, RootWritingAUsersFileLeavesItTheUsers)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    const std::string path = folder_.File("theirs");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "old", error));
    ASSERT_EQ(::chown(path.c_str(), 4321, 4321), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "new", error)) << error;
    struct stat status { };
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 4321u);
    EXPECT_EQ(status.st_gid, 4321u);
}

}  // namespace
}  // namespace tavrin::platform
