// tavrinctl restore and backup run as real processes against a real emulator that fails at a chosen
// request: every run either succeeds with what a run without faults gives (the keyboard's key maps
// and macro area, or the backup's bytes) or exits with 1, and the working file and the backup file
// stay whole whatever happens.
//
// To hit one request, the emulator answers every request 20 ms late (well inside the reply window);
// a lasting control connection watches its count of requests answered and, once it reaches the
// chosen request, replaces the slowing with the fault (the emulator holds one at a time), and puts
// the slowing back once the fault has taken its requests. The transfers are cut into requests as
// follows (56 bytes a request):
//   both:    0 identity, 1-7 default key map (what the tool reads on connecting)
//   restore: 8 begin, the macro area, 3 key map banks of 7 requests, end
//   backup:  8 identity, 9-11 settings, 12 end (the active profile), 13-33 the 3 key map banks,
//            34 the macro area's header, then the macro area
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "model/macro_block.h"
#include "profiles/profile_file.h"
#include "state_file.h"
#include "support/child_process.h"
#include "support/emulator_process.h"
#include "support/sample_profile.h"
#include "support/temporary_folder.h"
#include "tolvex/emu_protocol.h"
#include "unix_socket.h"

namespace tavrin::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using tolvex::emu::KeyboardMemory;

#ifdef TAVRIN_FAULT_MATRIX_SUBSET
// Sanitizer builds run a few representative cases, slowed a little more.
constexpr bool kSubsetOnly = true;
constexpr unsigned kWorkers = 2;
constexpr std::uint32_t kSlowReplyMicros = 30000;
#else
constexpr bool kSubsetOnly = false;
constexpr unsigned kWorkers = 6;
constexpr std::uint32_t kSlowReplyMicros = 20000;
#endif
constexpr auto kToolTimeLimit = 30s;
constexpr std::uint64_t kArrivalRequests = 8;  // the identity and the default key map
constexpr std::uint64_t kBankRequests = 7;     // 378 bytes, 56 a request
constexpr std::size_t kChunkBytes = 56;

// A lasting control connection to an emulator. Starting `tolvex-emu ctl` takes tens of
// milliseconds, too long to catch one request of a transfer; a command over this takes far less.
class ControlChannel {
public:
    explicit ControlChannel(const std::string& socketPath)
        : fd_(tolvex::ConnectUnixSocket(socketPath))
    {
        using namespace tolvex::emu;
        std::vector<std::uint8_t> hello;
        PutU32(hello, kProtocolVersion);
        PutU32(hello, static_cast<std::uint32_t>(Role::Control));
        if (fd_ >= 0 && !tolvex::WriteAll(fd_, EncodeFrame(MessageType::Hello, 0, hello)))
            tolvex::CloseQuietly(fd_);
    }
    ~ControlChannel() { tolvex::CloseQuietly(fd_); }
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    // The emulator's answer to a command line; nothing when it refused the command or is gone.
    std::optional<std::string> Command(const std::string& line)
    {
        using namespace tolvex::emu;
        if (fd_ < 0)
            return std::nullopt;
        const std::uint32_t sequence = ++sequence_;
        const std::vector<std::uint8_t> text(line.begin(), line.end());
        if (!tolvex::WriteAll(fd_, EncodeFrame(MessageType::Control, sequence, text))) {
            tolvex::CloseQuietly(fd_);
            return std::nullopt;
        }
        const auto deadline = Clock::now() + 5s;
        for (;;) {
            bool broken = false;
            while (auto frame = frames_.Next(broken)) {
                if (frame->type != MessageType::Result || frame->sequence != sequence || frame->payload.size() < 4)
                    continue;
                if (GetU32(frame->payload.data()) != 1)
                    return std::nullopt;
                return std::string(frame->payload.begin() + 4, frame->payload.end());
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd waiter{fd_, POLLIN, 0};
            std::uint8_t chunk[65536];
            const ssize_t count = broken || left.count() <= 0 || ::poll(&waiter, 1, static_cast<int>(left.count())) <= 0
                ? -1
                : ::read(fd_, chunk, sizeof chunk);
            if (count <= 0) {
                tolvex::CloseQuietly(fd_);
                return std::nullopt;
            }
            frames_.Append({chunk, static_cast<std::size_t>(count)});
        }
    }

    // The emulator's count of the control requests it has answered (dropped replies included).
    std::optional<std::uint64_t> RequestsAnswered()
    {
        static constexpr std::string_view kLabel = "requests answered: ";
        const std::optional<std::string> status = Command("status");
        const std::size_t at = status ? status->find(kLabel) : std::string::npos;
        if (at == std::string::npos)
            return std::nullopt;
        return std::stoull(status->substr(at + kLabel.size()));
    }

    std::optional<KeyboardMemory> Memory()
    {
        const std::optional<std::string> dump = Command("dump");
        std::string error;
        return dump ? tolvex::emu::DecodeState(*dump, error) : std::nullopt;
    }

private:
    int fd_ = -1;
    std::uint32_t sequence_ = 0;
    tolvex::emu::FrameReader frames_;
};

std::optional<std::string> ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

template<typename Bytes> std::size_t FirstDifference(const Bytes& a, const Bytes& b)
{
    const auto [left, right] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return static_cast<std::size_t>(left - a.begin());
}

std::vector<std::string> FileNamesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// tavrinctl as a child process: its documents folder (where the working file lives) inside
// `home`, the emulator as its keyboard.
class Tool {
public:
    Tool(const TemporaryFolder& home, const std::string& socket, const std::vector<std::string>& arguments)
        : errorFile_(home.File("stderr-" + std::to_string(++runs_)))
    {
        started_ = process_.Start(BinaryFolder() + "/tavrinctl", arguments,
            {{"HOME", home.Path().string()}, {"XDG_CONFIG_HOME", home.File("config")}, {"TOLVEX_EMULATOR", socket}},
            errorFile_);
    }

    bool Running() { return started_ && process_.Running(); }
    // The exit code, or nothing when it failed to start, was ended by a signal or ran past the limit
    // (and was killed).
    std::optional<int> Finish()
    {
        if (!started_)
            return std::nullopt;
        std::optional<int> code
            = process_.WaitForExit(std::chrono::duration_cast<std::chrono::milliseconds>(kToolTimeLimit));
        if (!code && process_.Running()) {
            process_.Signal(SIGKILL);
            process_.WaitForExit(5s);
        }
        return code;
    }
    std::string Errors() const { return process_.Output(); }

private:
    static inline std::atomic<int> runs_{0};
    std::string errorFile_;
    ChildProcess process_;
    bool started_ = false;
};

// `tavrinctl validate FILE` accepts the file.
bool Validates(const TemporaryFolder& home, const std::string& path)
{
    Tool tool(home, "/nonexistent", {"validate", path});
    return tool.Finish() == 0;
}

// What a run starts from, and what a run without faults gave.
struct Scenario {
    bool restore = true;
    std::vector<std::string> emulatorOptions;
    std::string initialState;    // a dump of the memory the emulator starts with; empty: factory memory
    std::string profileFile;     // restore: the file restored
    std::string previousBackup;  // backup: what some runs find at the backup's place already
    std::uint32_t slowReplyMicros = kSlowReplyMicros;
    // From the run without faults:
    std::uint64_t requests = 0;
    KeyboardMemory memory;  // restore: the keyboard afterwards
    std::string backup;     // backup: the file's bytes
};

struct FaultCase {
    std::string point;
    std::string fault;
    std::uint64_t atRequest = 0;  // the first request the fault hits
    std::string command;          // the ctl command that arms it
    // How many requests it takes before the slowing is put back; 0: it keeps the slowing.
    std::uint32_t faultyRequests = 0;
    bool previousFile = false;  // backup: the target already holds a file
};

std::string Describe(const Scenario& scenario, const FaultCase& c)
{
    return std::string(scenario.restore ? "restore" : "backup") + ", " + c.point + " (request "
        + std::to_string(c.atRequest) + "), fault " + c.fault + (c.previousFile ? ", over an earlier backup" : "");
}

struct CaseResult {
    std::vector<std::string> problems;
    std::optional<std::uint64_t> armedAt;  // the count of requests answered once the fault was armed
    std::optional<int> exitCode;
};

// Runs one transfer and arms the fault once the emulator has answered `atRequest` requests.
CaseResult RunTransfer(const Scenario& scenario, const FaultCase& fault)
{
    CaseResult result;
    auto problem = [&result](std::string text) { result.problems.push_back(std::move(text)); };

    EmulatorProcess emulator;
    if (!scenario.initialState.empty())
        std::ofstream(emulator.StatePath()) << scenario.initialState;
    if (!emulator.Start(scenario.emulatorOptions)) {
        problem("the emulator did not start");
        return result;
    }
    ControlChannel control(emulator.SocketPath());
    TemporaryFolder home;
    const std::filesystem::path workingFolder = home.Path() / "Documents/Tavrin_R2T";
    const std::string workingFile = (workingFolder / "$Profile0").string();
    const std::filesystem::path backupFolder = home.Path() / "backups";
    const std::string backupFile = (backupFolder / "keyboard.tvn").string();
    std::filesystem::create_directories(backupFolder);
    if (scenario.restore && !profiles::CreateDefaultProfileFile(workingFile))
        problem("cannot make the working file");
    if (fault.previousFile)
        std::ofstream(backupFile, std::ios::binary) << scenario.previousBackup;

    const std::string slowing = "fault delay " + std::to_string(scenario.slowReplyMicros) + " 100000";
    if (!control.Command(slowing))
        problem("the emulator refused to slow its replies");
    Tool tool(home, emulator.SocketPath(),
        scenario.restore ? std::vector<std::string>{"restore", scenario.profileFile}
                         : std::vector<std::string>{"backup", backupFile});
    // Waits until the emulator has answered `count` requests; false when tavrinctl ended first.
    const auto deadline = Clock::now() + kToolTimeLimit;
    auto waitForRequests = [&](std::uint64_t count) {
        for (;;) {
            const std::optional<std::uint64_t> answered = control.RequestsAnswered();
            if (answered && *answered >= count)
                return true;
            if (!answered || !tool.Running() || Clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(1ms);
        }
    };
    if (!waitForRequests(fault.atRequest)) {
        problem("tavrinctl ended or stalled before request " + std::to_string(fault.atRequest));
    } else {
        if (!control.Command(fault.command))
            problem("the emulator refused \"" + fault.command + "\"");
        result.armedAt = control.RequestsAnswered();
        // The requests after the fault are slowed again, so that a late reply meets a request in flight.
        if (fault.faultyRequests > 0 && waitForRequests(fault.atRequest + fault.faultyRequests))
            control.Command(slowing);
    }
    result.exitCode = tool.Finish();
    const std::string errors = tool.Errors();
    if (result.exitCode != 0 && result.exitCode != 1) {
        problem("tavrinctl "
            + (result.exitCode ? "exited with " + std::to_string(*result.exitCode) : std::string("crashed or hung"))
            + ": " + errors);
        return result;
    }
    const bool succeeded = result.exitCode == 0;

    if (scenario.restore) {
        if (succeeded) {
            const std::optional<KeyboardMemory> memory = control.Memory();
            if (!memory) {
                problem("no dump of the keyboard's memory");
            } else {
                for (std::size_t bank = 0; bank < memory->keymaps.size(); ++bank)
                    if (memory->keymaps[bank] != scenario.memory.keymaps[bank])
                        problem("exited 0, but key map bank " + std::to_string(bank) + " differs from byte "
                            + std::to_string(FirstDifference(memory->keymaps[bank], scenario.memory.keymaps[bank])));
                if (memory->macros != scenario.memory.macros)
                    problem("exited 0, but the macro area differs from byte "
                        + std::to_string(FirstDifference(memory->macros, scenario.memory.macros)));
            }
        }
        if (!Validates(home, workingFile))
            problem("the working file does not validate");
        if (FileNamesIn(workingFolder) != std::vector<std::string>{"$Profile0"})
            problem("the working file's folder holds " + Joined(FileNamesIn(workingFolder)));
    } else {
        const std::optional<std::string> bytes = ReadBytes(backupFile);
        if (succeeded && !bytes)
            problem("exited 0 without writing the backup");
        else if (succeeded && *bytes != scenario.backup)
            problem("exited 0, but the backup differs from byte "
                + std::to_string(FirstDifference(*bytes, scenario.backup)));
        else if (!succeeded && fault.previousFile && bytes != scenario.previousBackup)
            problem(bytes ? "failed, and changed the earlier backup" : "failed, and removed the earlier backup");
        else if (!succeeded && !fault.previousFile && bytes)
            problem("failed, but left a backup file behind");
        if (bytes && !Validates(home, backupFile))
            problem("the backup file does not validate");
        const std::vector<std::string> names = FileNamesIn(backupFolder);
        if (names.size() > (bytes ? 1u : 0u))
            problem("the backup's folder holds " + Joined(names));
    }
    if (!result.problems.empty())
        problem("tavrinctl exit " + std::to_string(*result.exitCode) + (errors.empty() ? "" : ", said: " + errors));
    return result;
}

// Runs the cases on a few threads, each with emulators of its own, and reports every problem. A run
// where the fault was armed too late (the watcher fell behind) and no problem showed is run again.
void RunCases(const Scenario& scenario, const std::vector<FaultCase>& cases)
{
    std::vector<CaseResult> results(cases.size());
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (unsigned w = 0; w < std::min<std::size_t>(kWorkers, cases.size()); ++w)
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < cases.size(); i = next++) {
                for (int attempt = 0; attempt < 3; ++attempt) {
                    results[i] = RunTransfer(scenario, cases[i]);
                    if (!results[i].problems.empty() || results[i].armedAt == cases[i].atRequest)
                        break;
                }
            }
        });
    for (std::thread& worker : workers)
        worker.join();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const CaseResult& result = results[i];
        std::string text;
        for (const std::string& line : result.problems)
            text += "\n  " + line;
        if (result.problems.empty() && result.armedAt != cases[i].atRequest)
            text += "\n  the fault could not be armed in time (armed after "
                + (result.armedAt ? std::to_string(*result.armedAt) : std::string("?")) + " requests)";
        if (!text.empty())
            ADD_FAILURE() << Describe(scenario, cases[i]) << ":" << text;
    }
}

struct Fault {
    const char* name;
    const char* command;
    std::uint32_t requests;  // how many requests it takes; 0: it leaves the slowing in place
};

const std::vector<Fault>& Faults()
{
    static const std::vector<Fault> faults = {
        {"drop 1", "fault drop 1", 1},  // one reply lost: the next attempt gets through
        {"drop 3", "fault drop 3", 3},  // every attempt's reply lost
        {"ff 1", "fault ff 1", 1},
        {"ff 3", "fault ff 3", 3},
        {"fe 3", "fault fe 3", 3},
        {"echo 1", "fault echo 1", 1},
        {"echo 3", "fault echo 3", 3},
        {"delay 400 ms 1", "fault delay 400000 1", 1},  // a reply after its window, then the next on time
        {"delay 400 ms 3", "fault delay 400000 3", 3},
        // Later than two reply windows.
        {"delay 700 ms 1", "fault delay 700000 1", 1},
        {"delay 1000 ms 2", "fault delay 1000000 2", 2},
        // The request is carried out, and the cable goes while its reply is on the way.
        {"unplug", "fault unplug-after 1", 0},
    };
    return faults;
}

struct Point {
    const char* name;
    std::function<std::uint64_t(std::uint64_t requests)> at;  // from a run's whole count of requests
};

// Every point with every fault; sanitizer builds take only the pairs in `subset`.
std::vector<FaultCase> Matrix(const std::vector<Point>& points,
    const std::vector<std::pair<std::string, std::string>>& subset, const Scenario& scenario)
{
    std::vector<FaultCase> cases;
    for (std::size_t p = 0; p < points.size(); ++p)
        for (std::size_t f = 0; f < Faults().size(); ++f) {
            const Point& point = points[p];
            const Fault& fault = Faults()[f];
            if (kSubsetOnly
                && std::find(subset.begin(), subset.end(), std::pair<std::string, std::string>(point.name, fault.name))
                    == subset.end())
                continue;
            // Half the backups, each fault at some points, start with an earlier file at their place.
            const bool previous = !scenario.restore && (p + f) % 2 == 1;
            cases.push_back(
                {point.name, fault.name, point.at(scenario.requests), fault.command, fault.requests, previous});
        }
    return cases;
}

model::MacroRecord LongMacro(std::uint16_t id, std::size_t actions)
{
    std::u16string name = u"Sequence ";
    for (char digit : std::to_string(id))
        name.push_back(static_cast<char16_t>(digit));
    model::MacroRecord record = SampleMacro(id, name, static_cast<std::uint8_t>(id % 5), {});
    for (std::size_t a = 0; a < actions; ++a)
        record.actions[record.actionCount++] = {static_cast<std::uint32_t>(10 * (a % 7)),
            static_cast<std::uint16_t>(0x010 + (id + a / 2) % 40), static_cast<std::uint16_t>(a % 2)};
    return record;
}

class TransferFaults : public ::testing::Test {
protected:
    // A profile file: the sample profile (or the default one) and `extraMacros` macros of `actions`
    // actions each. Keeps the size of its macro block.
    std::string WriteProfile(std::size_t extraMacros, std::size_t actions, bool withSample = true)
    {
        auto data = std::make_unique<profiles::ProfileData>();
        if (withSample)
            FillSampleProfile(*data);
        else
            profiles::CreateDefaultProfileData(*data);
        for (std::size_t m = 0; m < extraMacros; ++m)
            data->macros.push_back(LongMacro(static_cast<std::uint16_t>(data->macros.size() + 1), actions));
        macroBlockBytes_ = model::ComputeMacroBlockSizes(data->macros).withNames;
        const std::string path = files_.File("profile.tvn");
        EXPECT_TRUE(profiles::SaveProfileFile(path, *data));
        return path;
    }

    // The memory of a keyboard with these options whose key maps and macro area hold a pattern no
    // restore writes, so that every byte a restore leaves unwritten shows.
    std::string WrittenOverKeyboard(const std::vector<std::string>& options)
    {
        EmulatorProcess emulator;
        EXPECT_TRUE(emulator.Start(options));
        std::optional<KeyboardMemory> memory = ControlChannel(emulator.SocketPath()).Memory();
        EXPECT_TRUE(memory);
        if (!memory)
            return {};
        for (auto& bank : memory->keymaps)
            bank.fill(0xA5);
        std::fill(memory->macros.begin(), memory->macros.end(), std::uint8_t{0xA5});
        return tolvex::emu::EncodeState(*memory);
    }

    // Runs the scenario's transfer on a fresh emulator without faults: what it leaves (the key
    // maps and macro area, or the backup's bytes) and its count of requests become the reference.
    void RunClean(Scenario& scenario)
    {
        EmulatorProcess emulator;
        if (!scenario.initialState.empty())
            std::ofstream(emulator.StatePath()) << scenario.initialState;
        ASSERT_TRUE(emulator.Start(scenario.emulatorOptions));
        TemporaryFolder home;
        ASSERT_TRUE(profiles::CreateDefaultProfileFile(home.File("Documents/Tavrin_R2T/$Profile0")));
        const std::string backupFile = home.File("clean.tvn");
        Tool tool(home, emulator.SocketPath(),
            scenario.restore ? std::vector<std::string>{"restore", scenario.profileFile}
                             : std::vector<std::string>{"backup", backupFile});
        ASSERT_EQ(tool.Finish(), 0) << tool.Errors();
        ControlChannel control(emulator.SocketPath());
        scenario.requests = control.RequestsAnswered().value_or(0);
        if (scenario.restore) {
            const std::optional<KeyboardMemory> memory = control.Memory();
            ASSERT_TRUE(memory);
            scenario.memory = *memory;
        } else {
            scenario.backup = ReadBytes(backupFile).value_or("");
        }
    }

    TemporaryFolder files_;
    std::size_t macroBlockBytes_ = 0;
};

void PrintDuration(const char* what, Clock::time_point start)
{
    std::cout << what << ": " << std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count()
              << " ms\n";
}

TEST_F(TransferFaults, ARestoreEitherWritesEverythingOrFails)
{
    const auto start = Clock::now();
    Scenario scenario;
    scenario.profileFile = WriteProfile(4, 30);
    scenario.initialState = WrittenOverKeyboard({});
    RunClean(scenario);
    ASSERT_FALSE(HasFatalFailure());
    // The arrival reads, begin, the macro area, the three banks, end.
    const std::uint64_t macroRequests = scenario.requests - kArrivalRequests - 2 - 3 * kBankRequests;
    ASSERT_EQ(macroRequests, (macroBlockBytes_ + kChunkBytes - 1) / kChunkBytes) << scenario.requests << " requests";
    ASSERT_GE(macroRequests, 10u);
    const std::vector<Point> points = {
        {"identity read", [](std::uint64_t) { return 0; }},
        {"begin command", [](std::uint64_t) { return kArrivalRequests; }},
        {"middle of the macro area", [&](std::uint64_t) { return kArrivalRequests + 1 + macroRequests / 2; }},
        {"second key map bank", [](std::uint64_t total) { return total - 1 - 2 * kBankRequests + 3; }},
        {"last key map request", [](std::uint64_t total) { return total - 2; }},
        {"end command", [](std::uint64_t total) { return total - 1; }},
    };
    RunCases(scenario,
        Matrix(points,
            {{"middle of the macro area", "ff 3"}, {"middle of the macro area", "delay 400 ms 1"},
                {"second key map bank", "drop 1"}, {"second key map bank", "unplug"}, {"end command", "echo 3"}},
            scenario));
    PrintDuration("restore matrix", start);
}

TEST_F(TransferFaults, ABackupIsEitherExactOrNotWritten)
{
    const auto start = Clock::now();
    Scenario restored;
    restored.profileFile = WriteProfile(4, 30);
    RunClean(restored);
    ASSERT_FALSE(HasFatalFailure());
    Scenario scenario;
    scenario.restore = false;
    scenario.initialState = tolvex::emu::EncodeState(restored.memory);
    RunClean(scenario);
    ASSERT_FALSE(HasFatalFailure());
    auto earlier = std::make_unique<profiles::ProfileData>();
    profiles::CreateDefaultProfileData(*earlier);
    ASSERT_TRUE(profiles::SaveProfileFile(files_.File("earlier.tvn"), *earlier));
    scenario.previousBackup = ReadBytes(files_.File("earlier.tvn")).value_or("");
    ASSERT_NE(scenario.previousBackup, scenario.backup);

    constexpr std::uint64_t kFirstBank = kArrivalRequests + 5;  // after the active profile's 5 requests
    constexpr std::uint64_t kMacroHeader = kFirstBank + 3 * kBankRequests;
    const std::uint64_t macroRequests = scenario.requests - kMacroHeader - 1;
    ASSERT_EQ(macroRequests, (macroBlockBytes_ + kChunkBytes - 1) / kChunkBytes) << scenario.requests << " requests";
    const std::vector<Point> points = {
        {"default key map read", [](std::uint64_t) { return 4; }},
        {"active profile read", [](std::uint64_t) { return kArrivalRequests + 2; }},
        {"second key map bank", [](std::uint64_t) { return kFirstBank + kBankRequests + 3; }},
        {"macro area header", [](std::uint64_t) { return kMacroHeader; }},
        {"middle of the macro area", [&](std::uint64_t) { return kMacroHeader + 1 + macroRequests / 2; }},
    };
    RunCases(scenario,
        Matrix(points,
            {{"second key map bank", "delay 400 ms 1"}, {"second key map bank", "delay 700 ms 1"},
                {"second key map bank", "ff 3"}, {"active profile read", "drop 3"},
                {"middle of the macro area", "delay 400 ms 3"}, {"middle of the macro area", "unplug"}},
            scenario));
    PrintDuration("backup matrix", start);
}

// A keyboard with 114 units of macro memory, 40 macros restored, and three status errors on the
// request that writes the macro area's bytes from 4592 on.
TEST_F(TransferFaults, AnErrorInTheMacroAreaIsNotReportedAsARestore)
{
    Scenario scenario;
    scenario.profileFile = WriteProfile(40, 30, false);
    scenario.emulatorOptions = {"--macro-units", "114"};
    scenario.initialState = WrittenOverKeyboard(scenario.emulatorOptions);
    RunClean(scenario);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_GT(macroBlockBytes_, 4592 + kChunkBytes);
    ASSERT_LE(macroBlockBytes_, 114 * 128u);
    RunCases(scenario, {{"macro area byte 4592", "ff 3", kArrivalRequests + 1 + 4592 / kChunkBytes, "fault ff 3", 3}});
}

}  // namespace
}  // namespace tavrin::testing
