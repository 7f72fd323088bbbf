// Faults the emulator is told to inject into its next control requests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tolvex::emu {

enum class Fault {
    None,
    DropReply,    // the request is carried out but its reply is lost
    StatusError,  // answered with status 0xFF, not carried out
    StatusRange,  // answered with status 0xFE, not carried out
    WrongEcho,    // carried out, but the reply echoes another command
    DelayReply,   // carried out, the reply leaves after a delay
};

struct FaultDecision {
    Fault fault = Fault::None;
    std::uint32_t delayMicros = 0;
    bool unplugAfterReply = false;
};

class FaultPlan {
public:
    // One fault for the next `count` requests; replaces an earlier one.
    void Set(Fault fault, std::uint32_t count, std::uint32_t delayMicros = 0);
    // The keyboard unplugs itself once it has answered `count` more requests.
    void UnplugAfter(std::uint32_t count);
    void Clear();

    // What happens to the next request; counts it.
    FaultDecision Next();

    std::string Describe() const;

private:
    Fault fault_ = Fault::None;
    std::uint32_t remaining_ = 0;
    std::uint32_t delayMicros_ = 0;
    std::optional<std::uint32_t> unplugCountdown_;
};

// "drop", "ff", "fe", "echo", "delay" (and their long names) or nothing.
std::optional<Fault> ParseFault(const std::string& name);

}  // namespace tolvex::emu
