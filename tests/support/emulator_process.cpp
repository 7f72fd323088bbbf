#include "emulator_process.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tavrin::testing {

std::string KeyMapsAndMacrosOf(const std::string& dump)
{
    std::string profiles;
    for (const char* field : {"\"keymaps\": ", "\"macros\": "}) {
        const std::size_t at = dump.find(field);
        if (at == std::string::npos)
            return {};
        profiles += dump.substr(at, dump.find('\n', at) - at) + "\n";
    }
    return profiles;
}

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

std::optional<EmulatorBrackets> ParseBrackets(const std::string& dump)
{
    // "brackets": "begins 2, ends 2, nested begins 0, foreign requests 0, ends outside a bracket 1, open no"
    const std::string field = "\"brackets\": \"";
    const std::size_t start = dump.find(field);
    const std::size_t end = start == std::string::npos ? start : dump.find('"', start + field.size());
    if (end == std::string::npos)
        return std::nullopt;
    EmulatorBrackets brackets;
    const std::pair<const char*, std::uint64_t*> counts[]
        = {{"begins", &brackets.begins}, {"ends", &brackets.ends}, {"nested begins", &brackets.nestedBegins},
            {"foreign requests", &brackets.foreignRequests}, {"ends outside a bracket", &brackets.endsOutside}};
    std::istringstream items(dump.substr(start + field.size(), end - start - field.size()));
    std::size_t found = 0;
    for (std::string item; std::getline(items, item, ',');) {
        item.erase(0, item.find_first_not_of(' '));
        const std::size_t space = item.rfind(' ');
        if (space == std::string::npos)
            return std::nullopt;
        const std::string name = item.substr(0, space);
        const std::string value = item.substr(space + 1);
        if (name == "open" && (value == "yes" || value == "no")) {
            brackets.open = value == "yes";
            ++found;
            continue;
        }
        for (const auto& [countName, count] : counts) {
            if (name != countName)
                continue;
            if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos)
                return std::nullopt;
            *count = std::stoull(value);
            ++found;
        }
    }
    if (found != std::size(counts) + 1)
        return std::nullopt;
    return brackets;
}

std::optional<EmulatorBrackets> EmulatorProcess::Brackets() const
{
    int exitCode = -1;
    const std::string dump = Control("dump", &exitCode);
    if (exitCode != 0)
        return std::nullopt;
    return ParseBrackets(dump);
}

std::string EmulatorProcess::MemoryDump() const
{
    std::string dump = Control("dump");
    const std::size_t field = dump.find(",\n  \"brackets\": \"");
    const std::size_t end = field == std::string::npos ? field : dump.find('\n', field + 2);
    if (end != std::string::npos)
        dump.erase(field, end - field);
    return dump;
}

std::string EmulatorProcess::Control(const std::string& command, int* exitCode) const
{
    return RunCommand(BinaryFolder() + "/tolvex-emu ctl '" + socketPath_ + "' " + command + " 2>&1", exitCode);
}

}  // namespace tavrin::testing
