// Start-up of tavrin (offscreen, emulator attached): from launch until the window has handled its
// initialisation message, and the process's peak resident memory by then.
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/emulator_process.h"

extern char** environ;

namespace {

// Peak resident set of a running process, in kilobytes.
long PeakResidentKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

void BM_StartupToInit(benchmark::State& state)
{
    tavrin::testing::EmulatorProcess emulator;
    if (!emulator.Start()) {
        state.SkipWithError("tolvex-emu did not start");
        return;
    }
    const std::string root = emulator.Folder();
    std::filesystem::create_directories(root + "/runtime");
    ::chmod((root + "/runtime").c_str(), 0700);
    ::setenv("HOME", root.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
    ::setenv("TOLVEX_EMULATOR", emulator.SocketPath().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("TAVRIN_TRACE", "1", 1);
    const std::string program = tavrin::testing::BinaryFolder() + "/tavrin";
    long peakKilobytes = 0;

    for (auto _ : state) {
        int output[2];
        if (::pipe(output) != 0) {
            state.SkipWithError("no pipe");
            break;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], 2);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>("/Start"), nullptr};
        const auto started = std::chrono::steady_clock::now();
        pid_t pid = -1;
        const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, arguments, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        if (spawned != 0) {
            ::close(output[0]);
            state.SkipWithError("tavrin did not start");
            break;
        }
        std::string text;
        bool initialised = false;
        while (!initialised) {
            pollfd waiter{output[0], POLLIN, 0};
            if (::poll(&waiter, 1, 10000) <= 0)
                break;
            char chunk[512];
            const ssize_t count = ::read(output[0], chunk, sizeof chunk);
            if (count <= 0)
                break;
            text.append(chunk, static_cast<std::size_t>(count));
            initialised = text.find("tavrin: MSG_INIT") != std::string::npos;
        }
        const auto elapsed = std::chrono::steady_clock::now() - started;
        peakKilobytes = std::max(peakKilobytes, PeakResidentKilobytes(pid));
        ::kill(pid, SIGTERM);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(output[0]);
        if (!initialised) {
            state.SkipWithError("tavrin did not finish starting");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
    }
    state.counters["peak_resident_MB"] = static_cast<double>(peakKilobytes) / 1024.0;
}
BENCHMARK(BM_StartupToInit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
