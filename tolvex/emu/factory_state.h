// The text of factory_state.json, which the build turns into a source file of the emulator.
#pragma once

#include <string_view>

namespace tolvex::emu {

std::string_view FactoryStateText();

}  // namespace tolvex::emu
