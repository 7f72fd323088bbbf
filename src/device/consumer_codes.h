// The codes the keyboard sends on its own through the consumer interface, and what each asks of
// the program.
#pragma once

#include <cstdint>

namespace tavrin::device {

enum class KeyboardEvent {
    None,             // not one of ours (0x1801–0x1804 included)
    GKeyBank,         // the bank key was pressed
    LightingChanged,  // lighting changed on the keyboard
    ProfileChanged,   // the profile was changed on the keyboard
    ReloadWanted,     // the keyboard asks for a full reload
    PlayOn,           // the play indicator went on
    PlayOff,          // and off
};

constexpr KeyboardEvent KeyboardEventOfCode(std::uint16_t code)
{
    switch (code) {
    case 0x02FF:
        return KeyboardEvent::GKeyBank;
    case 0x0401:
        return KeyboardEvent::LightingChanged;
    case 0x0402:
        return KeyboardEvent::ProfileChanged;
    case 0x0403:
        return KeyboardEvent::ReloadWanted;
    case 0x1811:
        return KeyboardEvent::PlayOn;
    case 0x1810:
        return KeyboardEvent::PlayOff;
    default:
        return KeyboardEvent::None;
    }
}

}  // namespace tavrin::device
