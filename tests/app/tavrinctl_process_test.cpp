// tavrinctl run as a real process against a real emulator: its commands, exit codes and messages.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>

#include "profiles/profile_file.h"
#include "support/emulator_process.h"
#include "support/recorded_messages.h"
#include "support/sample_profile.h"
#include "support/temporary_folder.h"

namespace tavrin::testing {
namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class TavrinctlProcess : public ::testing::Test {
protected:
    // Runs tavrinctl with a home of its own (its working file lives in the documents folder).
    // `name` tells the standard error files of runs at the same time apart.
    ToolRun Tavrinctl(const std::string& arguments, const std::string& socket = "", const std::string& name = "stderr")
    {
        const std::string errorFile = home_.File(name);
        std::string command = "HOME='" + home_.Path().string() + "' XDG_CONFIG_HOME='" + home_.File("config") + "' ";
        command += "TOLVEX_EMULATOR='" + (socket.empty() ? emulator_.SocketPath() : socket) + "' ";
        command += "'" + BinaryFolder() + "/tavrinctl' " + arguments + " 2>'" + errorFile + "'";
        ToolRun run;
        run.out = RunCommand(command, &run.exitCode);
        std::ifstream error(errorFile);
        run.err.assign(std::istreambuf_iterator<char>(error), {});
        return run;
    }

    std::string WorkingFile() const { return home_.File("Documents/Tavrin_R2T/$Profile0"); }

    // The sample profile as a file to restore (its path), and a working file for the restore to save.
    std::string WriteSampleAndWorkingFile()
    {
        FillSampleProfile(*sample_);
        const std::string path = files_.File("sample.tvn");
        EXPECT_TRUE(profiles::SaveProfileFile(path, *sample_));
        EXPECT_TRUE(profiles::CreateDefaultProfileFile(WorkingFile()));
        return path;
    }

    TemporaryFolder home_;
    TemporaryFolder files_;
    EmulatorProcess emulator_;
    std::unique_ptr<profiles::ProfileData> sample_ = std::make_unique<profiles::ProfileData>();
};

TEST_F(TavrinctlProcess, BadUsageAndBadFilesExitWithTwoAndSayWhy)
{
    std::ofstream(files_.File("short.tvn")) << "not a profile";
    std::string header(32832, '\0');
    std::ofstream(files_.File("garbage.tvn"), std::ios::binary) << header;
    struct Case {
        std::string arguments;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {"", 2, "Usage: tavrinctl COMMAND"},
        {"frobnicate", 2, "unknown command 'frobnicate'"},
        {"profile 4", 2, "the profile is 1, 2 or 3"},
        {"backup", 2, "Usage: tavrinctl backup FILE"},
        {"show a b", 2, "Usage: tavrinctl show"},
        {"validate '" + files_.File("none.tvn") + "'", 2, "none.tvn: no such file"},
        {"validate '" + files_.File("short.tvn") + "'", 2, "short.tvn: too short to be a profile file"},
        {"restore '" + files_.File("garbage.tvn") + "'", 2, "garbage.tvn: wrong file format"},
        {"show '" + files_.File("garbage.tvn") + "' --json", 2, "wrong file format"},
        {"restore --help", 0, ""},
        {"--help", 0, ""},
        {"backup ''", 2, "the file name is empty"},
        {"backup '" + files_.Path().string() + "'", 2, "is a folder"},
        {"backup '" + files_.File("typo/backup.tvn") + "'", 2, "typo does not exist"},
        {"info", 1, "socket /nonexistent does not exist"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Tavrinctl(c.arguments, "/nonexistent");
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
    }
    EXPECT_NE(Tavrinctl("--help").out.find("restore FILE"), std::string::npos);
    EXPECT_NE(Tavrinctl("restore --help").out.find("a later backup cannot read them back"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(files_.File("typo"))) << "no folder is made for a mistyped path";
}

TEST_F(TavrinctlProcess, WithoutAKeyboardDeviceCommandsExitWithOne)
{
    ASSERT_TRUE(emulator_.Start({"--unplugged"}));
    const ToolRun run = Tavrinctl("info");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("no keyboard is connected"), std::string::npos) << run.err;
}

TEST_F(TavrinctlProcess, InfoAndProfileReadAndSwitchTheKeyboard)
{
    ASSERT_TRUE(emulator_.Start());
    const ToolRun info = Tavrinctl("info");
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("Macro memory: "), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("19  "), std::string::npos) << "the effects, numbered and named: " << info.out;

    EXPECT_EQ(Tavrinctl("profile 3").out, "Active: profile 3\n");
    EXPECT_EQ(Tavrinctl("profile").out, "Active: profile 3\n");
    emulator_.Control("profile 0");
    EXPECT_EQ(Tavrinctl("profile").out, "Active: profile 1\n");

    // The identity answers, the settings records do not: that is no profile at all.
    emulator_.Control("fault unplug-after 1");
    const ToolRun cut = Tavrinctl("profile");
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.out, "");
    EXPECT_NE(cut.err.find("reading the active profile failed"), std::string::npos) << cut.err;
}

TEST_F(TavrinctlProcess, RestoreThenBackupGivesBackTheAssignmentsAndMacros)
{
    ASSERT_TRUE(emulator_.Start());
    const std::string restored = WriteSampleAndWorkingFile();

    const ToolRun restore = Tavrinctl("restore '" + restored + "'");
    ASSERT_EQ(restore.exitCode, 0) << restore.err;
    EXPECT_EQ(std::filesystem::file_size(WorkingFile()), std::filesystem::file_size(restored))
        << "the working file now holds the restored profiles";

    const std::string backup = files_.File("backup.tvn");
    const ToolRun run = Tavrinctl("backup '" + backup + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Tavrinctl("validate '" + backup + "'").exitCode, 0);
    auto back = std::make_unique<profiles::ProfileData>();
    ASSERT_TRUE(profiles::LoadProfileFile(backup, *back));
    ExpectSameKeyboardContent(*sample_, *back);

    const std::string piped = files_.File("piped.tvn");
    ASSERT_EQ(Tavrinctl("backup - > '" + piped + "'").exitCode, 0);
    EXPECT_EQ(ReadBytes(piped), ReadBytes(backup)) << "standard output gets the same file";

    const ToolRun listing = Tavrinctl("show '" + backup + "'");
    EXPECT_EQ(listing.exitCode, 0);
    for (const char* line : {"Profile 1\n  A                key B\n", "  F1               macro 1 \"Copy\"\n",
             "  1 \"Copy\", cycles 2, play once, 4 actions\n", "        30 ms  press   C\n"})
        EXPECT_NE(listing.out.find(line), std::string::npos) << line << "\nin\n" << listing.out;
    const ToolRun json = Tavrinctl("show - --json < '" + backup + "'");
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_NE(json.out.find("{\"record\":30,\"key\":\"A\",\"kind\":\"key\",\"value\":48"), std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"name\":\"Double click\",\"cycles\":1"), std::string::npos);
}

TEST_F(TavrinctlProcess, RestoreReadsStandardInput)
{
    ASSERT_TRUE(emulator_.Start());
    const std::string restored = WriteSampleAndWorkingFile();
    const ToolRun run = Tavrinctl("restore - < '" + restored + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Restored standard input to the keyboard's three profiles\n");
    EXPECT_EQ(ReadBytes(WorkingFile()), ReadBytes(restored));
}

TEST_F(TavrinctlProcess, AnUnplugDuringARestoreFailsPromptlyAndKeepsTheWorkingFileWhole)
{
    ASSERT_TRUE(emulator_.Start());
    const std::string restored = WriteSampleAndWorkingFile();

    // The connection's own reads (identity, default key map) come first; the unplug falls inside
    // the macro download.
    emulator_.Control("fault unplug-after 20");
    const auto start = std::chrono::steady_clock::now();
    const ToolRun run = Tavrinctl("restore '" + restored + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("writing to the keyboard failed"), std::string::npos) << run.err;
    EXPECT_NE(
        run.err.find("the working file now holds the file's contents while the keyboard may not"), std::string::npos)
        << run.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    RecordedMessages messages;
    EXPECT_EQ(profiles::ValidateProfileFile(WorkingFile(), messages), profiles::kProfileFileAccepted);
}

}  // namespace
}  // namespace tavrin::testing

namespace tavrin::testing {
namespace {

std::string SettingsHex(const std::string& dump)
{
    const std::size_t at = dump.find("\"settings\": \"");
    return at == std::string::npos ? std::string() : dump.substr(at + 13, 210);
}

TEST_F(TavrinctlProcess, LightingRefusesBadValuesBeforeSendingAndSetsGoodOnes)
{
    ASSERT_TRUE(emulator_.Start({"--modes", "1-10"}));
    const std::string before = SettingsHex(emulator_.Control("dump"));
    for (const char* bad : {"--brightness 30", "--effect 19", "--effect 1 --direction up", "--report-rate 300",
             "--brightness 3 --effect Rings"}) {
        const ToolRun run = Tavrinctl(std::string("lighting ") + bad);
        EXPECT_EQ(run.exitCode, 2) << bad << ": " << run.err;
        EXPECT_FALSE(run.err.empty()) << bad;
    }
    EXPECT_EQ(SettingsHex(emulator_.Control("dump")), before) << "nothing was sent";

    const ToolRun set = Tavrinctl("lighting --profile 2 --effect Breathing --colour 0000ff --brightness 12 --json");
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_NE(set.out.find("\"name\": \"Breathing\""), std::string::npos) << set.out;
    const std::string after = SettingsHex(emulator_.Control("dump"));
    EXPECT_EQ(after.substr(2 * (35 + 3), 4), "050c") << "profile 2's effect 5 at brightness 12";
    EXPECT_EQ(after.substr(2 * (35 + 7), 8), "000000ff") << "a colour turns colourful off";

    emulator_.Control("profile 3");
    const ToolRun defaultMode = Tavrinctl("lighting --brightness 1");
    EXPECT_EQ(defaultMode.exitCode, 2);
    EXPECT_NE(defaultMode.err.find("default mode"), std::string::npos) << defaultMode.err;
}

TEST_F(TavrinctlProcess, ColoursPaintTheListedKeysAndKeepThemInTheLayout)
{
    ASSERT_TRUE(emulator_.Start());
    const std::string file = files_.File("wasd.txt");
    std::ofstream(file) << "# WASD\nW=FF0000\nA=ff0000\nS=FF0000\nD=FF0000\nFn=00FF00\n";
    const ToolRun set = Tavrinctl("colours --profile 1 --layout 4 --set '" + file + "'");
    ASSERT_EQ(set.exitCode, 0) << set.err;
    const ToolRun shown = Tavrinctl("colours --profile 1");
    EXPECT_NE(shown.out.find("W=FF0000\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Fn=00FF00\n"), std::string::npos) << shown.out;
    const ToolRun layout = Tavrinctl("colours --profile 1 --layout 4");
    EXPECT_NE(layout.out.find("D=FF0000\n"), std::string::npos) << layout.out;
    EXPECT_NE(layout.out.find("Esc=FF0000\n"), std::string::npos) << "a key never saved reads red";

    std::ofstream(file) << "W=FF0000\nG1=00FF00\n";
    const ToolRun bad = Tavrinctl("colours --set '" + file + "'");
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("line 2"), std::string::npos) << bad.err;
}

// Two restores at once, over and over: each tavrinctl holds the keyboard from its first request to
// its last, so the keyboard ends with one file's profiles whole, the emulator never sees one's
// request inside the other's bracket, and both say what they did.
TEST_F(TavrinctlProcess, TwoRestoresAtOnceNeverInterleave)
{
    ASSERT_TRUE(emulator_.Start());
    const std::string sample = WriteSampleAndWorkingFile();
    auto plainData = std::make_unique<profiles::ProfileData>();
    profiles::CreateDefaultProfileData(*plainData);
    const std::string plain = files_.File("plain.tvn");
    ASSERT_TRUE(profiles::SaveProfileFile(plain, *plainData));
    const auto restore = [&](const std::string& file) { return Tavrinctl("restore '" + file + "'"); };
    // The keyboard after one restore and then the other, in either order (a shorter macro block
    // leaves the end of a longer one behind it).
    ASSERT_EQ(restore(plain).exitCode, 0);
    ASSERT_EQ(restore(sample).exitCode, 0);
    const std::string sampleMemory = KeyMapsAndMacrosOf(emulator_.MemoryDump());
    ASSERT_EQ(restore(plain).exitCode, 0);
    const std::string plainMemory = KeyMapsAndMacrosOf(emulator_.MemoryDump());
    ASSERT_NE(plainMemory, sampleMemory);
    ASSERT_FALSE(plainMemory.empty());

    // A run may still refuse honestly (an answer of the other program's reached it late, under a
    // heavy load): that is told and writes nothing, and is counted apart from faults.
    const auto toldHonestly
        = [](const ToolRun& run) { return run.exitCode == 0 || (run.exitCode == 1 && !run.err.empty()); };
    constexpr int kTrials = 10;
    int faults = 0;
    int refusals = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        emulator_.Control("brackets reset");
        ToolRun first, second;
        std::thread other([&] { second = Tavrinctl("restore '" + plain + "'", "", "second"); });
        first = restore(sample);
        other.join();
        const std::string memory = KeyMapsAndMacrosOf(emulator_.MemoryDump());
        const std::optional<EmulatorBrackets> brackets = emulator_.Brackets();
        const bool whole = memory == sampleMemory || memory == plainMemory;
        const bool apart = brackets && !brackets->Interleaved();
        const bool told = toldHonestly(first) && toldHonestly(second);
        EXPECT_TRUE(whole) << "trial " << trial << ": the keyboard holds neither file whole";
        EXPECT_TRUE(apart) << "trial " << trial << ": the brackets interleaved";
        EXPECT_TRUE(told) << "trial " << trial << ": " << first.err << second.err;
        faults += whole && apart && told ? 0 : 1;
        refusals += (first.exitCode != 0) + (second.exitCode != 0);
    }
    EXPECT_LE(refusals, kTrials / 2) << "nearly every run should go through";
    std::printf("two restores at once: %d trials, %d faults, %d runs refused and said so\n", kTrials, faults, refusals);
}

}  // namespace
}  // namespace tavrin::testing
