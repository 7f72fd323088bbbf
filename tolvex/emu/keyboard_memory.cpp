#include "keyboard_memory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "factory_state.h"
#include "state_file.h"

namespace tolvex::emu {

KeyboardMemory FactoryMemory()
{
    static const KeyboardMemory factory = [] {
        std::string error;
        auto memory = DecodeState(FactoryStateText(), error);
        if (!memory) {
            // The text is part of the program, so this is a build that must not run.
            std::fprintf(stderr, "tolvex-emu: the built-in factory state is unusable: %s\n", error.c_str());
            std::abort();
        }
        return std::move(*memory);
    }();
    return factory;
}

void SetMacroUnits(KeyboardMemory& memory, std::uint8_t units)
{
    memory.info[kInfoMacroUnitsAt] = units;
    memory.macros.resize(std::size_t{units} * kBytesPerMacroUnit, 0);
}

void SetOfferedModes(KeyboardMemory& memory, std::span<const std::uint8_t> modes)
{
    auto list = memory.info.begin() + kInfoModesAt;
    std::fill_n(list, kInfoModeSlots, 0);
    std::copy_n(modes.begin(), std::min(modes.size(), kInfoModeSlots), list);
}

}  // namespace tolvex::emu
