// A program started by a test with its own environment, its standard error kept in a file that
// the test can wait on.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::testing {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program` with `arguments`; `environment` entries are added to (or replace) this
    // process's environment. Standard error goes to `errorFile`.
    bool Start(const std::string& program, const std::vector<std::string>& arguments,
        const std::map<std::string, std::string>& environment, const std::string& errorFile);

    // The exit code once the process has ended within the time; nothing when it still runs (or was
    // ended by a signal).
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    // True when `text` appears in standard error within the time.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) const;
    std::string Output() const;
    bool Running();
    void Signal(int signal);

private:
    int pid_ = -1;
    std::optional<int> exitCode_;
    std::string errorFile_;
};

}  // namespace tavrin::testing
