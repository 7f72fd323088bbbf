// The keyboard's firmware as far as the host can see it: it answers control requests against its
// memory areas and keeps the G-key bank status that the host writes.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "control_report.h"
#include "keyboard_memory.h"

namespace tolvex::emu {

class Firmware {
public:
    explicit Firmware(KeyboardMemory memory)
        : memory_(std::move(memory))
    {
    }

    struct Outcome {
        Report reply{};
        bool memoryChanged = false;
    };

    // A request shorter than 64 bytes is taken as zero-filled, a longer one is cut. A wrong
    // checksum or an unknown command is answered with status 0xFF; an address or length outside
    // the command's area with 0xFE. Reads must start inside their area; what lies past its end
    // reads as zero.
    Outcome HandleControl(std::span<const std::uint8_t> request);

    // An error reply to a request, without touching memory (used to inject faults).
    static Report ErrorReply(std::span<const std::uint8_t> request, std::uint8_t status);

    // The key-status output report: report identifier 5 and the bank bits.
    bool WriteBankStatus(std::span<const std::uint8_t> report);

    void SetActiveProfile(std::uint8_t profile);
    // The keyboard's own effect key: the running profile's effect becomes the next one it offers
    // (after the last, the first). Nothing in the default mode or without offered effects.
    void StepEffect();
    const KeyboardMemory& Memory() const { return memory_; }

private:
    std::span<std::uint8_t> Area(Opcode command);

    KeyboardMemory memory_;
};

}  // namespace tolvex::emu
