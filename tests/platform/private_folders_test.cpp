// What another local user can do to the folders and names the program uses: folders that are not
// this user's alone are refused, links are not followed, and names taken by others do not stop ours.
// The cases that need a second user run as root, with the other user played by a child process
// that takes a throwaway user id.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <semaphore.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/instance_lock.h"
#include "platform/named_events.h"
#include "platform/user_folders.h"
#include "support/temporary_folder.h"

namespace tavrin::platform {
namespace {

namespace fs = std::filesystem;
constexpr uid_t kOtherUser = 47321;  // no password entry, no files of its own

// Runs `body` in a child process as the other user; its exit code (0 when body returns true).
int AsOtherUser(const std::function<bool()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)
            ::_exit(90);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PrivateFoldersTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder_;
};

TEST_F(PrivateFoldersTest, OnlyAFolderOfThisUsersAloneIsPrivate)
{
    const struct {
        const char* name;
        std::function<void(const std::string&)> make;
        bool privateFolder;
    } cases[] = {
        {"missing: made 0700", [](const std::string&) {}, true},
        {"made 0700 by us", [](const std::string& path) { ::mkdir(path.c_str(), 0700); }, true},
        {"open to all", [](const std::string& path) { ::mkdir(path.c_str(), 0777), ::chmod(path.c_str(), 0777); },
            false},
        {"readable by the group",
            [](const std::string& path) { ::mkdir(path.c_str(), 0750), ::chmod(path.c_str(), 0750); }, false},
        {"a link to a private folder",
            [this](const std::string& path) {
                ::mkdir(folder_.File("real").c_str(), 0700);
                ::symlink(folder_.File("real").c_str(), path.c_str());
            },
            false},
        {"a file", [](const std::string& path) { ::close(::open(path.c_str(), O_CREAT | O_WRONLY, 0600)); }, false},
    };
    int number = 0;
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        const std::string path = folder_.File("runtime-" + std::to_string(++number));
        item.make(path);
        EXPECT_EQ(MakePrivateFolder(path), item.privateFolder ? path : std::string());
    }
}

TEST_F(PrivateFoldersTest, AFolderAnotherUserMadeFirstIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to play a second user";
    ::chmod(folder_.Path().c_str(), 0777);
    const std::string taken = folder_.File("tavrin-victim");
    ASSERT_EQ(AsOtherUser([&] { return ::mkdir(taken.c_str(), 0700) == 0; }), 0);
    EXPECT_EQ(MakePrivateFolder(taken), "") << "private, but not ours";
    EXPECT_FALSE(IsPrivateFolder(taken, ::getuid()));
}

TEST_F(PrivateFoldersTest, TheRuntimeFolderIsXdgsOnlyWhenPrivate)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string previous = saved ? saved : "";
    const std::string open = folder_.File("open");
    ::mkdir(open.c_str(), 0777);
    ::chmod(open.c_str(), 0777);
    ::setenv("XDG_RUNTIME_DIR", open.c_str(), 1);
    EXPECT_NE(RuntimeFolder(), open);
    ::setenv("XDG_RUNTIME_DIR", folder_.Path().c_str(), 1);
    EXPECT_EQ(RuntimeFolder(), folder_.Path().string());
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(PrivateFoldersTest, WithoutHomeOrPasswordEntryThereAreNoUserFolders)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to become a user without a password entry";
    EXPECT_EQ(AsOtherUser([] {
        ::unsetenv("HOME");
        ::unsetenv("XDG_CONFIG_HOME");
        return HomeFolder().empty() && ConfigFolder().empty() && DocumentsFolder().empty();
    }),
        0);
}

TEST_F(PrivateFoldersTest, ASocketPathTooLongForAnAddressMovesToAShortPrivateName)
{
    const auto shortAddress = InstanceAddressFor(folder_.Path().string(), "Tavrin_Mutex_R2T");
    ASSERT_TRUE(shortAddress);
    EXPECT_EQ(shortAddress->socketPath, folder_.File("Tavrin_Mutex_R2T"));
    EXPECT_EQ(shortAddress->lockPath, folder_.File("Tavrin_Mutex_R2T.lock"));

    const std::string deep = folder_.File(std::string(100, 'd'));
    const auto longAddress = InstanceAddressFor(deep, "Tavrin_Mutex_R2T");
    ASSERT_TRUE(longAddress);
    EXPECT_LE(longAddress->socketPath.size(), kSocketPathLimit);
    EXPECT_EQ(longAddress->socketPath.rfind(FallbackRuntimeFolder() + "/Tavrin_Mutex_R2T-", 0), 0u);
    EXPECT_EQ(longAddress->lockPath, deep + "/Tavrin_Mutex_R2T.lock") << "the lock stays in the runtime folder";
    EXPECT_NE(InstanceAddressFor(deep + "x", "Tavrin_Mutex_R2T")->socketPath, longAddress->socketPath)
        << "each runtime folder has its own";
    EXPECT_FALSE(InstanceAddressFor("", "Tavrin_Mutex_R2T")) << "no runtime folder, no channel";
}

TEST_F(PrivateFoldersTest, APlantedLinkIsNotFollowedByTheLock)
{
    const std::string lock = folder_.File("Tavrin_Mutex_R2T.lock");
    const std::string victim = folder_.File("elsewhere");
    ASSERT_EQ(::symlink(victim.c_str(), lock.c_str()), 0);
    InstanceLock instance;
    EXPECT_FALSE(instance.TryAcquire(lock));
    EXPECT_FALSE(fs::exists(victim)) << "no file was created through the link";
}

TEST(NamedEventsOfOthers, NamesTakenByAnotherUserDoNotStopOursNorAreTheirsRemoved)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to play a second user";
    const std::string base = "TavrinTest_" + std::to_string(::getpid()) + "_";
    const std::string ours = SessionEventPrefix(base, "/run/user/test");
    // The other user takes the plain names, and one of our session's names too.
    ASSERT_EQ(AsOtherUser([&] {
        for (const std::string& name : {"/" + base + "Main_01", "/" + base + "Main_02", "/" + ours + "Main_03"})
            if (::sem_open(name.c_str(), O_CREAT | O_EXCL, 0600, 0) == SEM_FAILED)
                return false;
        return true;
    }),
        0);
    {
        NamedEvents events;
        EXPECT_EQ(events.Create(ours, 4), 3) << "the one name held by the other user is skipped";
    }
    EXPECT_TRUE(fs::exists("/dev/shm/sem." + ours + "Main_03")) << "theirs is not removed";
    EXPECT_FALSE(fs::exists("/dev/shm/sem." + ours + "Main_01")) << "ours is";
    for (const std::string& name : {"/" + base + "Main_01", "/" + base + "Main_02", "/" + ours + "Main_03"})
        ::sem_unlink(name.c_str());
}

TEST(NamedEventsOfOthers, AnInstanceRemovesOnlyTheNamesItCreated)
{
    const std::string prefix = SessionEventPrefix("TavrinTest_" + std::to_string(::getpid()) + "_", "/session");
    NamedEvents first;
    ASSERT_EQ(first.Create(prefix, 2), 2);
    {
        NamedEvents second;
        EXPECT_EQ(second.Create(prefix, 2), 2) << "this user's own names are used again";
    }
    EXPECT_TRUE(fs::exists("/dev/shm/sem." + prefix + "Main_01")) << "the second did not make them";
    first.Close();
    EXPECT_FALSE(fs::exists("/dev/shm/sem." + prefix + "Main_01"));
}

}  // namespace
}  // namespace tavrin::platform
