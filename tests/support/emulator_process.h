// Runs a real tolvex-emu process for a test, in a folder of its own, and drives it with `ctl`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::testing {

// The emulator's bracket log: what it saw of the begin…end brackets of every connected host.
struct EmulatorBrackets {
    std::uint64_t begins = 0;
    std::uint64_t ends = 0;
    std::uint64_t nestedBegins = 0;     // a begin while a bracket was open
    std::uint64_t foreignRequests = 0;  // a request from another host while one host's bracket was open
    std::uint64_t endsOutside = 0;      // an end with no bracket open (the active-profile read sends one)
    bool open = false;                  // a bracket is open now
    // No host's requests fell inside another's bracket.
    bool Interleaved() const { return nestedBegins != 0 || foreignRequests != 0; }
    bool operator==(const EmulatorBrackets&) const = default;
};

// The "brackets" field of a dump, or nothing when the text has none that reads.
std::optional<EmulatorBrackets> ParseBrackets(const std::string& dump);

// The key maps and the macro area of a dump, one line each: what a restore or an Apply writes.
std::string KeyMapsAndMacrosOf(const std::string& dump);

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
    // The bracket log from `dump`; nothing when the emulator does not answer.
    std::optional<EmulatorBrackets> Brackets() const;
    // `dump` without its bracket log: the keyboard's memory alone, as the state file holds it, for
    // tests that compare the memory before and after something.
    std::string MemoryDump() const;

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
