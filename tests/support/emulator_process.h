// Runs a real tolvex-emu process for a test, in a folder of its own, and drives it with `ctl`.
#pragma once

#include <string>
#include <vector>

namespace tavrin::testing {

// The folder that holds the built programs and libTolvex.so.
std::string BinaryFolder();

class EmulatorProcess {
public:
    // Makes a fresh folder; the emulator keeps its socket and state file there.
    EmulatorProcess();
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    // Starts the emulator with these extra options and waits until it answers; false on failure.
    bool Start(const std::vector<std::string>& options = {});
    // Stops it with SIGTERM and waits for it; its state file stays.
    void Stop();
    // Kills it without warning.
    void Kill();

    // Runs `tolvex-emu ctl SOCKET command` and returns its standard output; `exitCode` gets its
    // exit status.
    std::string Control(const std::string& command, int* exitCode = nullptr) const;

    const std::string& SocketPath() const { return socketPath_; }
    const std::string& StatePath() const { return statePath_; }
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    std::string socketPath_;
    std::string statePath_;
    int pid_ = -1;
};

// Runs a command line through the shell; returns its standard output.
std::string RunCommand(const std::string& command, int* exitCode = nullptr);

}  // namespace tavrin::testing
