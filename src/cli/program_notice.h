// What tavrinctl changed on the keyboard, told to the running program once the command is done
// with the keyboard, so that its window shows it and never writes back what it showed before.
#pragma once

#include <cstdint>

namespace tavrin::cli {

// Collects what a command changed or may have changed (profiles::kChanged…) and tells the running
// program when it goes, after the keyboard connection made after it has been closed. Telling is
// bounded and never fails the command: without a running program nothing happens.
class ProgramNotice {
public:
    ProgramNotice() = default;
    ~ProgramNotice();
    ProgramNotice(const ProgramNotice&) = delete;
    ProgramNotice& operator=(const ProgramNotice&) = delete;

    void Add(std::uint32_t changes) { changes_ |= changes; }

private:
    std::uint32_t changes_ = 0;
};

}  // namespace tavrin::cli
