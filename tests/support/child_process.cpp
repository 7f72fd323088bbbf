#include "support/child_process.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tavrin::testing {

ChildProcess::~ChildProcess()
{
    if (Running()) {
        Signal(SIGKILL);
        WaitForExit(std::chrono::milliseconds(5000));
    }
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
    const std::map<std::string, std::string>& environment, const std::string& errorFile)
{
    errorFile_ = errorFile;
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos)
            merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : environment)
        merged[name] = value;
    std::vector<std::string> environmentText;
    for (const auto& [name, value] : merged)
        environmentText.push_back(name + "=" + value);
    std::vector<char*> environmentPointers;
    for (auto& text : environmentText)
        environmentPointers.push_back(text.data());
    environmentPointers.push_back(nullptr);

    std::vector<std::string> argumentText = {program};
    argumentText.insert(argumentText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argumentPointers;
    for (auto& text : argumentText)
        argumentPointers.push_back(text.data());
    argumentPointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    pid_t pid = -1;
    const int result
        = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argumentPointers.data(), environmentPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
        return false;
    pid_ = pid;
    exitCode_.reset();
    return true;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds timeout)
{
    if (exitCode_)
        return exitCode_;
    if (pid_ <= 0)
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            if (WIFEXITED(status))
                exitCode_ = WEXITSTATUS(status);
            else
                exitCode_ = 128 + WTERMSIG(status);
            return WIFEXITED(status) ? exitCode_ : std::nullopt;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool ChildProcess::Running()
{
    if (pid_ <= 0)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        pid_ = -1;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

void ChildProcess::Signal(int signal)
{
    if (pid_ > 0)
        ::kill(pid_, signal);
}

std::string ChildProcess::Output() const
{
    std::ifstream file(errorFile_);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool ChildProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (Output().find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Output().find(text) != std::string::npos;
}

}  // namespace tavrin::testing
