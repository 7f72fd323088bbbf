// One request and its reply through libTolvex.so to a running tolvex-emu: the software's share of
// every exchange with the keyboard.
#include <benchmark/benchmark.h>
#include <cstdlib>

#include "device/device_link.h"
#include "device/device_memory.h"
#include "device/device_report.h"
#include "support/attached_link.h"
#include "support/control_round_trip.h"
#include "support/emulator_process.h"
#include "support/tolvex_library.h"

namespace {

using namespace tavrin::device;

// Starts the emulator and points the library at it; false (and the benchmark skipped) otherwise.
bool AttachEmulator(benchmark::State& state, tavrin::testing::EmulatorProcess& emulator)
{
    if (!emulator.Start()) {
        state.SkipWithError("tolvex-emu did not start");
        return false;
    }
    ::setenv("TOLVEX_EMULATOR", emulator.SocketPath().c_str(), 1);
    return true;
}

// A settings read: the request the program sends most, and one that writes no state file.
DeviceReport SettingsRead()
{
    DeviceReport request{};
    request.reportId = kReportId;
    request.command = CMD_READ_SETTINGS;
    request.length = 56;
    ComputeReportChecksum(ReportBytes(request));
    return request;
}

void BM_RequestWriteOneAndReply(benchmark::State& state)
{
    tavrin::testing::EmulatorProcess emulator;
    if (!AttachEmulator(state, emulator))
        return;
    const auto library = tavrin::testing::TolvexLibrary::Load();
    if (!library.Complete() || library.Init(0) <= 0) {
        state.SkipWithError("libTolvex.so did not start");
        return;
    }
    tavrin::testing::ControlRoundTrip roundTrip(library);
    for (auto _ : state) {
        const tavrin::testing::RoundTrip result = roundTrip.Once(std::chrono::seconds(1));
        if (result != tavrin::testing::RoundTrip::Replied) {
            state.SkipWithError(result == tavrin::testing::RoundTrip::Refused ? "write refused" : "no reply");
            break;
        }
    }
    library.End();
    ::unsetenv("TOLVEX_EMULATOR");
}
BENCHMARK(BM_RequestWriteOneAndReply)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The same request through the program's transaction: device count, key, reply slot and checks.
void BM_ExchangeReport(benchmark::State& state)
{
    tavrin::testing::AttachedLink attached;
    if (const std::string failure = attached.Attach(); !failure.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    const DeviceReport request = SettingsRead();
    std::array<std::uint8_t, kReportSize> reply{};
    std::uint32_t copied = 0;
    for (auto _ : state) {
        if (attached.Link().ExchangeReport(ReportBytes(request), reply, copied) != 1) {
            state.SkipWithError("no reply");
            break;
        }
    }
}
BENCHMARK(BM_ExchangeReport)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
