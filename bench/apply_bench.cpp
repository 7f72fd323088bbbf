// The main window's Apply of the active profile, with a macro block of about 16 KB, through the
// real libTolvex.so to a real tolvex-emu that answers every request after a fixed latency, as a
// keyboard on a real bus does.
//
// Against such a keyboard no Apply can take less than its floor: one latency for each report it
// exchanges (they go one at a time) plus the pauses the protocol itself prescribes. The counters
// give the time measured, the reports exchanged (the emulator's count of requests answered), the
// floor and the ratio of the two; what lies above the floor is the software's own share.
#include <array>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "device/device_commands.h"
#include "device/device_link.h"
#include "device/device_memory.h"
#include "device/result_codes.h"
#include "device/transaction_timer.h"
#include "model/key_record.h"
#include "model/macro_block.h"
#include "model/macro_record.h"
#include "platform/tolvex_binding.h"
#include "profiles/keyboard_context.h"
#include "profiles/profile_data.h"
#include "profiles/profile_file.h"
#include "profiles/working_copy_edits.h"
#include "profiles/working_file.h"
#include "support/emulator_process.h"
#include "support/recorded_messages.h"
#include "support/temporary_folder.h"

namespace {

using namespace tavrin;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kMacroBlockTarget = 16 * 1024;
constexpr std::uint16_t kMacros = 20;

// Twenty named macros whose encoded block (with names) comes as close to 16 KB as whole actions
// allow, the first nine played by the G keys of bank 0 in `profile`.
void FillMacros(profiles::ProfileData& working, int profile)
{
    std::lock_guard lock(working.lock);
    for (std::uint16_t m = 0; m < kMacros; ++m) {
        model::MacroRecord record = model::EmptyMacroRecord();
        record.id = model::AllocateMacroId(working.macros);
        record.cycles = 1;
        model::SetMacroName(record, u"Combo " + std::u16string(1, static_cast<char16_t>(u'A' + m)));
        working.macros.push_back(record);
    }
    // Press and release pairs with short delays, spread over the macros until one more action
    // would pass the target.
    constexpr std::size_t kActionBytes = 4;
    std::size_t size = model::ComputeMacroBlockSizes(working.macros).withNames;
    for (std::size_t m = 0; size + kActionBytes <= kMacroBlockTarget; m = (m + 1) % kMacros, size += kActionBytes) {
        model::MacroRecord& record = working.macros[m];
        const std::uint16_t count = record.actionCount;
        record.actions[count] = {static_cast<std::uint32_t>(10 + count % 5 * 10),
            static_cast<std::uint16_t>(0x010 + count / 2 % 26), static_cast<std::uint16_t>(count % 2)};
        ++record.actionCount;
    }
    for (std::uint16_t m = 0; m < model::kGRecordsPerBank; ++m)
        profiles::StoreAssignment(
            working, profile, model::GRecord(m, 0), model::KIND_MACRO, 1, working.macros[m].id, std::nullopt);
}

std::optional<std::uint64_t> RequestsAnswered(testing::EmulatorProcess& emulator)
{
    static constexpr std::string_view kLabel = "requests answered: ";
    const std::string status = emulator.Control("status");
    const std::size_t at = status.find(kLabel);
    if (at == std::string::npos)
        return std::nullopt;
    return std::stoull(status.substr(at + kLabel.size()));
}

// The system timer, adding up the pauses the device layer asks for: the floor's fixed part.
class PauseCountingTimer final : public device::TransactionTimer {
public:
    void Sleep(std::chrono::milliseconds duration) override
    {
        paused_ += duration.count();
        timer_.Sleep(duration);
    }
    device::WaitResult Wait(device::AutoResetEvent& event, std::chrono::milliseconds timeout) override
    {
        return timer_.Wait(event, timeout);
    }
    std::chrono::milliseconds Paused() const { return std::chrono::milliseconds(paused_.load()); }

private:
    device::SystemTimer timer_;
    std::atomic<std::int64_t> paused_{0};
};

// The program's keyboard context over the real library, bound to a tolvex-emu with that reply
// latency, as the attached link of the end-to-end tests has it, but with the pauses counted.
class LatentKeyboard {
public:
    ~LatentKeyboard()
    {
        // The library's threads are joined before the context they call goes away.
        if (keyboard_)
            keyboard_->Session().Service().End();
        keyboard_.reset();
        ::unsetenv("TOLVEX_EMULATOR");
    }

    // Empty on success, else what failed.
    std::string Attach(std::chrono::microseconds latency)
    {
        if (!emulator_.Start({"--latency-us", std::to_string(latency.count())}))
            return "tolvex-emu did not start";
        ::setenv("TOLVEX_EMULATOR", emulator_.SocketPath().c_str(), 1);
        platform::TolvexBinding binding = platform::BindTolvexLibrary(testing::BinaryFolder());
        if (binding.result != platform::BindResult::Bound)
            return "libTolvex.so did not bind: " + binding.detail;
        auto timer = std::make_unique<PauseCountingTimer>();
        timer_ = timer.get();
        keyboard_
            = std::make_unique<profiles::KeyboardContext>(std::move(binding.service), std::move(timer), messages_);
        keyboard_->RegisterDeviceReads();
        return {};
    }

    testing::EmulatorProcess& Emulator() { return emulator_; }
    profiles::KeyboardContext& Keyboard() { return *keyboard_; }
    const PauseCountingTimer& Timer() const { return *timer_; }

private:
    testing::EmulatorProcess emulator_;
    testing::RecordedMessages messages_;
    std::unique_ptr<profiles::KeyboardContext> keyboard_;
    PauseCountingTimer* timer_ = nullptr;
};

double Milliseconds(auto duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

void BM_ApplyActiveProfile(benchmark::State& state)
{
    const std::chrono::microseconds latency(state.range(0));
    LatentKeyboard attached;
    if (const std::string failure = attached.Attach(latency); !failure.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    profiles::KeyboardContext& keyboard = attached.Keyboard();
    if (!keyboard.ReadArrivalState().empty() || keyboard.Download().Capacity() < kMacroBlockTarget) {
        state.SkipWithError("the keyboard's identity did not read, or its macro memory is under 16 KB");
        return;
    }
    const int profile = keyboard.Active().ReadActiveProfile();
    if (profile < 0 || profile > 2) {
        state.SkipWithError("the keyboard has no user profile active");
        return;
    }

    testing::TemporaryFolder folder;
    const std::string workingFile = folder.File("$Profile0");
    auto working = std::make_unique<profiles::ProfileData>();
    auto applied = std::make_unique<profiles::ProfileData>();
    profiles::CreateDefaultProfileData(*working);
    FillMacros(*working, profile);
    const std::size_t blockBytes = model::ComputeMacroBlockSizes(working->macros).withNames;
    if (!profiles::CreateDefaultProfileFile(workingFile)) {
        state.SkipWithError("cannot make the working file");
        return;
    }
    profiles::ProfileTransfer& transfer = keyboard.Transfer();
    // The first Apply also has the emulator store what changed; the ones measured find it there.
    if (!transfer.Apply(*working, *applied, workingFile).Succeeded()) {
        state.SkipWithError("the first Apply failed");
        return;
    }

    device::DeviceLink& link = keyboard.Session().Link();
    std::uint64_t reports = 0;
    std::uint64_t givenUp = 0;
    Clock::duration measured{};
    std::chrono::milliseconds pauses{};
    Clock::duration saving{};
    for (auto _ : state) {
        const std::optional<std::uint64_t> answeredBefore = RequestsAnswered(attached.Emulator());
        const device::ReplyCount repliesBefore = link.CountReplies();
        const std::chrono::milliseconds pausedBefore = attached.Timer().Paused();
        const auto started = Clock::now();
        const profiles::ApplyResult result = transfer.Apply(*working, *applied, workingFile);
        const auto elapsed = Clock::now() - started;
        const std::optional<std::uint64_t> answeredAfter = RequestsAnswered(attached.Emulator());
        if (!result.Succeeded() || !answeredBefore || !answeredAfter) {
            state.SkipWithError(("Apply failed: " + profiles::DescribeApply(result)).c_str());
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
        measured += elapsed;
        reports += *answeredAfter - *answeredBefore;
        pauses += attached.Timer().Paused() - pausedBefore;
        givenUp += link.CountReplies().givenUp - repliesBefore.givenUp;

        // Apply's one step that exchanges nothing, timed again on its own for comparison.
        const auto savingStarted = Clock::now();
        profiles::SaveWorkingFileIfPresent(*working, workingFile);
        saving += Clock::now() - savingStarted;
    }
    if (state.iterations() == 0)
        return;
    const double applies = static_cast<double>(state.iterations());
    const double reportsEach = static_cast<double>(reports) / applies;
    const double measuredMs = Milliseconds(measured) / applies;
    // One latency for each report, exchanged one after the other, and the pauses the device
    // layer takes: before each end command, and between attempts or for a busy slot should a
    // reply be lost (a clean run has none of those).
    const double pausesMs = Milliseconds(pauses) / applies;
    const double floorMs = reportsEach * Milliseconds(latency) + pausesMs;
    state.counters["latency_us"] = static_cast<double>(latency.count());
    state.counters["macro_block_bytes"] = static_cast<double>(blockBytes);
    state.counters["reports"] = reportsEach;
    state.counters["pauses_ms"] = pausesMs;
    state.counters["measured_ms"] = measuredMs;
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio"] = measuredMs / floorMs;
    state.counters["above_floor_per_report_us"] = (measuredMs - floorMs) * 1e3 / reportsEach;
    state.counters["working_file_save_ms"] = Milliseconds(saving) / applies;
    state.counters["replies_given_up"] = static_cast<double>(givenUp);
}
BENCHMARK(BM_ApplyActiveProfile)
    ->Arg(1000)
    ->Arg(0)
    ->ArgName("latency_us")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3);

// One report's exchange (a settings read) at the same latencies: what each report of an Apply costs
// above the latency, without the rest of Apply around it.
void BM_ExchangeOneReport(benchmark::State& state)
{
    const std::chrono::microseconds latency(state.range(0));
    LatentKeyboard attached;
    if (const std::string failure = attached.Attach(latency); !failure.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    device::DeviceCommands& commands = attached.Keyboard().Commands();
    std::array<std::uint8_t, device::kPayloadSize> settings{};
    Clock::duration measured{};
    for (auto _ : state) {
        const auto started = Clock::now();
        const int read = commands.ReadSettings(settings, device::kPayloadSize, 0);
        const auto elapsed = Clock::now() - started;
        if (read != device::kDeviceOk) {
            state.SkipWithError("the read failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
        measured += elapsed;
    }
    if (state.iterations() == 0)
        return;
    const double measuredUs = Milliseconds(measured) * 1e3 / static_cast<double>(state.iterations());
    state.counters["latency_us"] = static_cast<double>(latency.count());
    state.counters["above_latency_us"] = measuredUs - static_cast<double>(latency.count());
}
BENCHMARK(BM_ExchangeOneReport)
    ->Arg(1000)
    ->Arg(0)
    ->ArgName("latency_us")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(300)
    ->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
