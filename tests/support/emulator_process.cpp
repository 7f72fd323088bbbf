#include "emulator_process.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tavrin::testing {

std::string BinaryFolder()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

std::string RunCommand(const std::string& command, int* exitCode)
{
    std::string output;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        if (exitCode)
            *exitCode = -1;
        return output;
    }
    char chunk[4096];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        output.append(chunk, count);
    const int status = ::pclose(pipe);
    if (exitCode)
        *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

EmulatorProcess::EmulatorProcess()
{
    char pattern[] = "/tmp/tolvex-emu-test-XXXXXX";
    if (const char* made = ::mkdtemp(pattern))
        folder_ = made;
    socketPath_ = folder_ + "/emu.sock";
    statePath_ = folder_ + "/state.json";
}

EmulatorProcess::~EmulatorProcess()
{
    Stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool EmulatorProcess::Start(const std::vector<std::string>& options)
{
    const std::string program = BinaryFolder() + "/tolvex-emu";
    std::vector<std::string> arguments = {program, "--socket", socketPath_, "--state", statePath_};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    pid_ = pid;
    for (int attempt = 0; attempt < 200; ++attempt) {
        int exitCode = -1;
        Control("status", &exitCode);
        if (exitCode == 0)
            return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void EmulatorProcess::Stop()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

void EmulatorProcess::Kill()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string EmulatorProcess::Control(const std::string& command, int* exitCode) const
{
    return RunCommand(BinaryFolder() + "/tolvex-emu ctl '" + socketPath_ + "' " + command + " 2>&1", exitCode);
}

}  // namespace tavrin::testing
