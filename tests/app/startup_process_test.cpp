// The program as a user starts it: real tavrin processes (offscreen) beside a real emulator, each
// test in an installation folder of its own with a stand-in background program that counts its
// starts.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

#include <QCoreApplication>

#include "app/instance_channel.h"
#include "app/window_messages.h"
#include "platform/instance_lock.h"
#include "support/child_process.h"
#include "support/emulator_process.h"

namespace tavrin::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kPatience = 15s;  // sanitizer builds start slowly

class StartupProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tavrin-start-XXXXXX";
        root_ = ::mkdtemp(pattern);
        install_ = root_ / "install";
        fs::create_directories(install_);
        fs::create_directories(root_ / "home");
        fs::create_directories(root_ / "runtime");
        ::chmod((root_ / "runtime").c_str(), 0700);
        const fs::path binaries = BinaryFolder();
        fs::copy_file(binaries / "tavrin", install_ / "tavrin");
        fs::copy_file(binaries / "libTolvex.so", install_ / "libTolvex.so");
        for (const auto& entry : fs::directory_iterator(binaries))
            if (entry.path().extension() == ".ini")
                fs::copy_file(entry.path(), install_ / entry.path().filename());
        fs::copy(binaries / "Skins", install_ / "Skins", fs::copy_options::recursive);
        std::ofstream(install_ / "Quendel") << "#!/bin/sh\necho started >> \"$(dirname \"$0\")/quendel.log\"\n";
        fs::permissions(install_ / "Quendel", fs::perms::owner_all);
    }

    void TearDown() override
    {
        processes_.clear();
        fs::remove_all(root_);
    }

    bool StartEmulator(const std::vector<std::string>& options = {}) { return emulator_.Start(options); }

    ChildProcess& Start(std::vector<std::string> arguments = {})
    {
        const std::map<std::string, std::string> environment = {
            {"HOME", (root_ / "home").string()},
            {"XDG_CONFIG_HOME", (root_ / "home" / ".config").string()},
            {"XDG_RUNTIME_DIR", runtime_.empty() ? (root_ / "runtime").string() : runtime_.string()},
            {"TOLVEX_EMULATOR", emulator_.SocketPath()},
            {"QT_QPA_PLATFORM", "offscreen"},
            {"TAVRIN_TRACE", "1"},
            {"LANG", "C.UTF-8"},
        };
        processes_.push_back(std::make_unique<ChildProcess>());
        const std::string errors = (root_ / ("stderr-" + std::to_string(processes_.size()))).string();
        EXPECT_TRUE(processes_.back()->Start((install_ / "tavrin").string(), arguments, environment, errors));
        return *processes_.back();
    }

    int QuendelStarts() const
    {
        // Detached: give a start a moment to land.
        std::this_thread::sleep_for(200ms);
        std::ifstream log(install_ / "quendel.log");
        int lines = 0;
        for (std::string line; std::getline(log, line);)
            ++lines;
        return lines;
    }

    static bool WaitUntil(const std::function<bool()>& condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(10ms);
        }
        return true;
    }

    static int Count(const std::string& text, const std::string& what)
    {
        int count = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++count;
        return count;
    }

    fs::path root_;
    fs::path install_;
    fs::path runtime_;  // another runtime folder for this test's starts
    EmulatorProcess emulator_;
    std::vector<std::unique_ptr<ChildProcess>> processes_;
};

TEST_F(StartupProcessTest, ASecondStartShowsTheFirstAndEnds)
{
    ASSERT_TRUE(StartEmulator());
    ChildProcess& first = Start();
    ASSERT_TRUE(first.WaitForOutput("tavrin: MSG_OPEN shown", kPatience)) << "the keyboard's arrival shows it once";

    ChildProcess& second = Start();
    EXPECT_EQ(second.WaitForExit(kPatience), 0);
    EXPECT_NE(second.Output().find("sent MSG_OPEN"), std::string::npos);
    EXPECT_EQ(second.Output().find("MSG_INIT"), std::string::npos) << "the second start built no window";
    EXPECT_TRUE(WaitUntil([&] { return Count(first.Output(), "MSG_OPEN shown") == 2; })) << first.Output();
    EXPECT_EQ(QuendelStarts(), 1);

    // Messages without their exact check value are ignored.
    int argc = 0;
    QCoreApplication qt(argc, nullptr);
    const std::string channel = (root_ / "runtime" / "Tavrin_Mutex_R2T").string();
    EXPECT_EQ(app::SendInstanceMessage(channel, {app::MSG_OPEN, app::MSG_OPEN_CHECK + 1, 0}), 0u);
    EXPECT_EQ(app::SendInstanceMessage(channel, {app::MSG_KILL, app::MSG_OPEN_CHECK, 0}), 0u);
    EXPECT_EQ(app::SendInstanceMessage(channel, {0x1234, app::MSG_KILL_CHECK, 0}), 0u);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Count(first.Output(), "MSG_OPEN shown"), 2);
    EXPECT_TRUE(first.Running());

    first.Signal(SIGTERM);
    EXPECT_EQ(first.WaitForExit(kPatience), 0);
    EXPECT_TRUE(first.WaitForOutput("closed down", 1s));
}

TEST_F(StartupProcessTest, KillEndsTheRunningInstanceAndStartsNothing)
{
    ASSERT_TRUE(StartEmulator());
    ChildProcess& first = Start({"/Start"});
    ASSERT_TRUE(first.WaitForOutput("MSG_INIT", kPatience));
    ChildProcess& killer = Start({"/start", "/KILL"});
    EXPECT_EQ(killer.WaitForExit(kPatience), 0);
    EXPECT_EQ(first.WaitForExit(kPatience), 0);
    EXPECT_NE(first.Output().find("MSG_KILL"), std::string::npos);
    EXPECT_EQ(killer.Output().find("MSG_INIT"), std::string::npos);
    EXPECT_EQ(QuendelStarts(), 1);
    EXPECT_EQ(Count(first.Output(), "MSG_OPEN"), 0) << "/Start keeps the window hidden when the keyboard arrives";
}

TEST_F(StartupProcessTest, KillWithNothingRunningStartsNormally)
{
    ASSERT_TRUE(StartEmulator({"--unplugged"}));
    ChildProcess& program = Start({"/kill"});
    ASSERT_TRUE(program.WaitForOutput("MSG_INIT", kPatience));
    EXPECT_EQ(QuendelStarts(), 1);
    // Without a keyboard at start nothing pops up, not even when it is plugged in later.
    emulator_.Control("plug");
    ASSERT_TRUE(program.WaitForOutput("keyboard present", kPatience));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Count(program.Output(), "MSG_OPEN"), 0);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(kPatience), 0);
}

TEST_F(StartupProcessTest, ARuntimeFolderTooDeepForASocketAddressStillKeepsOneInstance)
{
    runtime_ = root_ / std::string(110, 'r');
    fs::create_directories(runtime_);
    ::chmod(runtime_.c_str(), 0700);
    ASSERT_TRUE(StartEmulator());
    ChildProcess& first = Start({"/Start"});
    ASSERT_TRUE(first.WaitForOutput("MSG_INIT", kPatience)) << first.Output();
    ChildProcess& second = Start();
    EXPECT_EQ(second.WaitForExit(kPatience), 0);
    EXPECT_NE(second.Output().find("sent MSG_OPEN"), std::string::npos) << second.Output();
    ChildProcess& killer = Start({"/Kill"});
    EXPECT_EQ(killer.WaitForExit(kPatience), 0);
    EXPECT_EQ(first.WaitForExit(kPatience), 0) << "/Kill reached it";
    EXPECT_EQ(killer.Output().find("MSG_INIT"), std::string::npos) << "and started no third";
}

TEST_F(StartupProcessTest, ALockWithoutAServerIsNeverKept)
{
    // Something that is not a socket stands where the server must listen.
    fs::create_directories(root_ / "runtime" / "Tavrin_Mutex_R2T" / "in-the-way");
    ASSERT_TRUE(StartEmulator());
    ChildProcess& program = Start({"/Start"});
    EXPECT_EQ(program.WaitForExit(kPatience), 0);
    EXPECT_NE(program.Output().find("cannot listen on"), std::string::npos) << program.Output();
    EXPECT_EQ(program.Output().find("MSG_INIT"), std::string::npos);
    platform::InstanceLock lock;
    EXPECT_TRUE(lock.TryAcquire((root_ / "runtime" / "Tavrin_Mutex_R2T.lock").string())) << "the lock was let go";
}

TEST_F(StartupProcessTest, ARuntimeFolderOpenToOthersIsNotUsed)
{
    runtime_ = root_ / "open";
    fs::create_directories(runtime_);
    ::chmod(runtime_.c_str(), 0777);
    ASSERT_TRUE(StartEmulator());
    ChildProcess& program = Start({"/Start"});
    ASSERT_TRUE(program.WaitForOutput("MSG_INIT", kPatience));
    EXPECT_FALSE(fs::exists(runtime_ / "Tavrin_Mutex_R2T.lock")) << "nothing in a folder others can enter";
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitForExit(kPatience), 0);
}

TEST_F(StartupProcessTest, AStaleLockLeftByACrashDoesNotStopANewStart)
{
    ASSERT_TRUE(StartEmulator());
    ChildProcess& crashed = Start({"/Start"});
    ASSERT_TRUE(crashed.WaitForOutput("MSG_INIT", kPatience));
    crashed.Signal(SIGKILL);
    crashed.WaitForExit(kPatience);

    ChildProcess& fresh = Start({"/Start"});
    ASSERT_TRUE(fresh.WaitForOutput("keyboard present", kPatience));
    ChildProcess& second = Start();
    EXPECT_EQ(second.WaitForExit(kPatience), 0);
    EXPECT_TRUE(fresh.WaitForOutput("MSG_OPEN shown", kPatience)) << "the new instance answers";
    fresh.Signal(SIGTERM);
    EXPECT_EQ(fresh.WaitForExit(kPatience), 0);
}

TEST_F(StartupProcessTest, ABrokenServiceLibraryEndsStartUpSilently)
{
    ASSERT_TRUE(StartEmulator());
    const fs::path fakes = fs::path(BinaryFolder()).parent_path() / "fake-libraries";
    const struct {
        const char* name;
        fs::path library;  // empty: no library at all
    } cases[] = {
        {"without RequestStatusSetFeature", fakes / "incomplete" / "libTolvex.so"},
        {"whose Init refuses", fakes / "refusing" / "libTolvex.so"},
        {"missing", {}},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        fs::remove(install_ / "libTolvex.so");
        if (!item.library.empty())
            fs::copy_file(item.library, install_ / "libTolvex.so");
        ChildProcess& program = Start();
        EXPECT_EQ(program.WaitForExit(kPatience), 0);
        EXPECT_NE(program.Output().find("could not be bound"), std::string::npos) << program.Output();
        EXPECT_EQ(program.Output().find("MSG_INIT"), std::string::npos);
    }
}

}  // namespace
}  // namespace tavrin::testing
