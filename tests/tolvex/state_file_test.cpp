#include "state_file.h"
#include "support/child_process.h"
#include "support/emulator_process.h"
#include "support/temporary_folder.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tolvex::emu {
namespace {

KeyboardMemory ChangedMemory()
{
    KeyboardMemory memory = FactoryMemory();
    SetMacroUnits(memory, 2);
    memory.macros[0] = 0xAA;
    memory.macros[255] = 0x55;
    memory.settings[2] = 1;
    memory.keymaps[2][377] = 0x7F;
    memory.colours[3][511] = 0xC0;
    memory.bankStatus[1] = 0x03;
    return memory;
}

TEST(StateFile, RoundTripsEveryArea)
{
    const KeyboardMemory memory = ChangedMemory();
    std::string error;
    const auto decoded = DecodeState(EncodeState(memory), error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(*decoded, memory);
}

TEST(StateFile, RejectsCorruptTextWhole)
{
    const std::string good = EncodeState(ChangedMemory());
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"empty", ""},
        {"cut short", good.substr(0, good.size() / 2)},
        {"trailing text", good + "x"},
        {"odd hex digit", replace("\"bank_status\": \"0503\"", "\"bank_status\": \"05g3\"")},
        {"area too short", replace("\"bank_status\": \"0503\"", "\"bank_status\": \"05\"")},
        {"missing field", replace("\"bank_status\"", "\"bank_state\"")},
        {"two key maps", replace("\"keymaps\": [", "\"keymaps\": [\"00\", ")},
        {"number instead of string", replace("\"bank_status\": \"0503\"", "\"bank_status\": 503")},
        {"escape in a string", replace("\"bank_status\": \"0503\"", "\"bank_status\": \"05\\\"03\"")},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        std::string error;
        EXPECT_FALSE(DecodeState(item.text, error).has_value());
        EXPECT_FALSE(error.empty());
    }
}

TEST(StateFile, MacroAreaMustMatchTheCapacityInTheIdentityBlock)
{
    KeyboardMemory memory = ChangedMemory();
    memory.info[11] = 3;  // says 384 bytes, holds 256
    std::string error;
    EXPECT_FALSE(DecodeState(EncodeState(memory), error).has_value());
    EXPECT_NE(error.find("macros"), std::string::npos);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class StateFileLoadTest : public ::testing::Test {
protected:
    tavrin::testing::TemporaryFolder folder_;
    const std::string path_ = folder_.File("state.json");
    const std::string kept_ = path_ + ".corrupt";
};

TEST_F(StateFileLoadTest, AcceptsAValidFileUpToTheLimitAndRefusesOneByteMore)
{
    KeyboardMemory largest = FactoryMemory();
    SetMacroUnits(largest, 255);
    largest.macros.back() = 0x5A;
    const std::string encoded = EncodeState(largest);
    ASSERT_LT(encoded.size() * 16, kStateFileLimit) << "the limit leaves room for whitespace";

    const std::string atLimit = encoded + std::string(kStateFileLimit - encoded.size(), '\n');
    WriteText(path_, atLimit);
    StateFileLoad load = LoadStateFile(path_);
    EXPECT_EQ(load.outcome, StateFileLoad::Outcome::Loaded) << load.message;
    EXPECT_TRUE(load.memory == largest);
    EXPECT_EQ(load.message, "");

    WriteText(path_, atLimit + " ");
    load = LoadStateFile(path_);
    EXPECT_EQ(load.outcome, StateFileLoad::Outcome::Refused);
    EXPECT_NE(load.message.find(path_), std::string::npos) << load.message;
    EXPECT_NE(load.message.find("4194305 bytes, over the limit of 4194304 bytes"), std::string::npos) << load.message;
    EXPECT_TRUE(ReadText(path_) == atLimit + " ") << "the file changed";
    EXPECT_FALSE(std::filesystem::exists(kept_));
}

TEST_F(StateFileLoadTest, AMissingFileIsFactoryState)
{
    const StateFileLoad load = LoadStateFile(path_);
    EXPECT_EQ(load.outcome, StateFileLoad::Outcome::Missing);
    EXPECT_TRUE(load.memory == FactoryMemory());
    EXPECT_EQ(folder_.Count(), 0u);
}

TEST_F(StateFileLoadTest, KeepsACorruptFileAsideInPlaceOfAnOlderOne)
{
    KeyboardMemory wrongMacroSize = ChangedMemory();
    wrongMacroSize.info[11] = 3;
    struct Case {
        const char* name;
        std::string text;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "not a JSON object"},
        {"cut short", EncodeState(ChangedMemory()).substr(0, 900), "not a JSON object"},
        {"macro area of the wrong size", EncodeState(wrongMacroSize), "field \"macros\""},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        WriteText(path_, item.text);
        WriteText(kept_, "an older corrupt file");

        const StateFileLoad load = LoadStateFile(path_);
        EXPECT_EQ(load.outcome, StateFileLoad::Outcome::KeptCorrupt);
        EXPECT_TRUE(load.memory == FactoryMemory());
        EXPECT_FALSE(std::filesystem::exists(path_));
        EXPECT_EQ(ReadText(kept_), item.text);
        EXPECT_NE(load.message.find(path_ + " "), std::string::npos) << load.message;
        EXPECT_NE(load.message.find(kept_), std::string::npos) << load.message;
        EXPECT_NE(load.message.find(item.reason), std::string::npos) << load.message;
        EXPECT_EQ(load.message.find('\n'), std::string::npos);
    }
}

TEST_F(StateFileLoadTest, RefusesACorruptFileThatCannotBeMovedAside)
{
    WriteText(path_, "{ not state");
    std::filesystem::create_directories(kept_ + "/inside");

    const StateFileLoad load = LoadStateFile(path_);
    EXPECT_EQ(load.outcome, StateFileLoad::Outcome::Refused);
    EXPECT_EQ(ReadText(path_), "{ not state");
    EXPECT_TRUE(std::filesystem::is_directory(kept_ + "/inside"));
    EXPECT_NE(load.message.find("corrupt"), std::string::npos) << load.message;
    EXPECT_NE(load.message.find("cannot be kept as " + kept_), std::string::npos) << load.message;
}

// A real tolvex-emu, from beside this test, with its standard error kept in a file.
class EmulatorRun {
public:
    EmulatorRun(const tavrin::testing::TemporaryFolder& folder, const std::string& statePath)
        : errorPath_(folder.File("stderr.txt"))
    {
        started_ = process_.Start(tavrin::testing::BinaryFolder() + "/tolvex-emu",
            {"--socket", folder.File("emu.sock"), "--state", statePath}, {}, errorPath_);
    }

    bool Started() const { return started_; }
    // The exit status once it has ended on its own within the time; nothing while it still runs.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout) { return process_.WaitForExit(timeout); }
    std::optional<int> Stop()
    {
        process_.Signal(SIGTERM);
        return process_.WaitForExit(std::chrono::seconds(5));
    }
    std::string ErrorOutput() const { return ReadText(errorPath_); }

private:
    std::string errorPath_;
    tavrin::testing::ChildProcess process_;
    bool started_ = false;
};

TEST(StateFileProcess, KeepsACorruptFileBesideTheNewOneAndSaysSo)
{
    tavrin::testing::TemporaryFolder folder;
    const std::string path = folder.File("state.json");
    const std::string corrupt = path + ".corrupt";
    const std::string oldBytes = EncodeState(ChangedMemory()).substr(0, 700);
    WriteText(path, oldBytes);
    WriteText(corrupt, "an older corrupt file");

    EmulatorRun emulator(folder, path);
    ASSERT_TRUE(emulator.Started());
    std::optional<KeyboardMemory> saved;
    for (int attempt = 0; attempt < 500 && !saved; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::string error;
        saved = DecodeState(ReadText(path), error);
    }
    EXPECT_EQ(emulator.Stop(), 0);

    ASSERT_TRUE(saved) << "the emulator never saved a fresh state file";
    EXPECT_EQ(*saved, FactoryMemory());
    EXPECT_EQ(ReadText(corrupt), oldBytes);
    const std::string message = emulator.ErrorOutput();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find(path + " "), std::string::npos) << message;
    EXPECT_NE(message.find(corrupt), std::string::npos) << message;
    EXPECT_NE(message.find("not a JSON object"), std::string::npos) << message;
}

// Whatever the emulator cannot use as its state file, it refuses at once (a FIFO without blocking)
// and leaves alone.
TEST(StateFileProcess, RefusesWhatItCannotUseAndLeavesItAlone)
{
    const std::string big = EncodeState(ChangedMemory()) + std::string(kStateFileLimit, ' ');
    struct Case {
        const char* name;
        const char* file;
        std::function<void(const std::string&)> make;
        std::string said;
    };
    const Case cases[] = {
        {"valid but over the limit", "state.json", [&](const std::string& path) { WriteText(path, big); },
            std::to_string(big.size()) + " bytes, over the limit of 4194304 bytes"},
        {"a folder", "state.json", [](const std::string& path) { std::filesystem::create_directory(path); },
            "a folder"},
        {"a FIFO", "state.json", [](const std::string& path) { ::mkfifo(path.c_str(), 0644); }, "a FIFO"},
        {"below a file", "plain/state.json",
            [](const std::string& path) { WriteText(std::filesystem::path(path).parent_path(), "plain"); },
            "Not a directory"},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        tavrin::testing::TemporaryFolder folder;
        const std::string path = folder.File(item.file);
        item.make(path);
        std::error_code ignored;
        const auto before = std::filesystem::status(path, ignored).type();

        EmulatorRun emulator(folder, path);
        ASSERT_TRUE(emulator.Started());
        EXPECT_EQ(emulator.WaitForExit(std::chrono::seconds(5)), 2);

        const std::string message = emulator.ErrorOutput();
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find(item.said), std::string::npos) << message;
        EXPECT_EQ(std::filesystem::status(path, ignored).type(), before);
        if (before == std::filesystem::file_type::regular) {
            EXPECT_TRUE(ReadText(path) == big) << "the file changed";
        }
        EXPECT_FALSE(std::filesystem::exists(path + ".corrupt", ignored));
    }
}

}  // namespace
}  // namespace tolvex::emu
