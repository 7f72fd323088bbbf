// One control request through libTolvex.so and its reply: a settings read (the request the program
// sends most, and one that changes nothing) written, and the reply on the control interface's
// reader waited for. The round-trip benchmark and the guest test's measurement both time this.
#pragma once

#include <chrono>
#include <cstdint>

#include "support/tolvex_library.h"

namespace tavrin::testing {

enum class RoundTrip { Replied, Refused, NoReply };

class ControlRoundTrip {
public:
    // Registers the reader of the control interface's replies. One per process at a time.
    explicit ControlRoundTrip(const TolvexLibrary& library);
    // Writes the request and waits up to `wait` for a reply.
    RoundTrip Once(std::chrono::milliseconds wait);

private:
    const TolvexLibrary& library_;
    InterfaceSelector control_;
    std::uint32_t key_ = 0;
};

}  // namespace tavrin::testing
