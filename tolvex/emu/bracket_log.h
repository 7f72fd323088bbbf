// What the keyboard saw of its write bracket (a begin, the requests of one change, an end), and
// who sent each part. The firmware itself keeps one bracket, open from a begin to the next end,
// whoever sends them; the log tells the tests when two hosts' requests got mixed inside one.
//
// The log counts what reached the keyboard, whatever an injected fault made of the answer. A
// request with a wrong sum is no begin or end to the keyboard, but it is still a request.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tolvex::emu {

struct BracketCounts {
    std::uint64_t begins = 0;
    std::uint64_t ends = 0;
    std::uint64_t nestedBegins = 0;     // a begin while a bracket was open (from anyone)
    std::uint64_t foreignRequests = 0;  // any request from another client while a bracket was open
    std::uint64_t endsOutside = 0;      // an end with no bracket open
    bool operator==(const BracketCounts&) const = default;
};

class BracketLog {
public:
    // One control request from `client` (any number that tells the senders apart).
    void Note(std::uint64_t client, std::span<const std::uint8_t> request);
    // The keyboard lost power: a bracket that was open is gone, with nothing counted.
    void Unplugged() { openedBy_.reset(); }
    // Counts start again from zero; a bracket that is open stays open.
    void ResetCounts() { counts_ = {}; }

    const BracketCounts& Counts() const { return counts_; }
    // The client whose begin opened the bracket that is open now.
    std::optional<std::uint64_t> OpenedBy() const { return openedBy_; }
    // "begins 2, ends 2, nested begins 0, foreign requests 0, ends outside a bracket 1, open no"
    std::string Describe() const;

private:
    BracketCounts counts_;
    std::optional<std::uint64_t> openedBy_;
};

}  // namespace tolvex::emu
