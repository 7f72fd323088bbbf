// The emulator's memory on disk: one JSON object whose fields are lowercase hex strings of the
// areas' bytes. The same text is what `tolvex-emu ctl SOCKET dump` prints.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "keyboard_memory.h"

namespace tolvex::emu {

std::string EncodeState(const KeyboardMemory& memory);

// The memory the text describes, or nothing with `error` set: every field must be present, valid
// hex and of its area's exact size (the macro area that of the identity block's capacity).
std::optional<KeyboardMemory> DecodeState(std::string_view text, std::string& error);

}  // namespace tolvex::emu
