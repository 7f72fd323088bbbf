// The emulator's memory on disk: one JSON object whose fields are lowercase hex strings of the
// areas' bytes. The same text is what `tolvex-emu ctl SOCKET dump` prints.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "keyboard_memory.h"

namespace tolvex::emu {

// The largest state file the emulator reads. The largest valid file, as written, is 72857 bytes
// (71 KiB): a macro area of 255 units of 128 bytes is 65280 hex digits, the other areas 7426 and
// the names and punctuation the rest. The limit leaves ample room for whitespace added by hand or
// by a formatter.
inline constexpr std::size_t kStateFileLimit = std::size_t{4} << 20;

std::string EncodeState(const KeyboardMemory& memory);

// The memory the text describes, or nothing with `error` set: every field must be present, valid
// hex and of its area's exact size (the macro area that of the identity block's capacity).
std::optional<KeyboardMemory> DecodeState(std::string_view text, std::string& error);

// What the emulator starts from, given its state file.
struct StateFileLoad {
    enum class Outcome {
        Missing,      // no file: factory memory
        Loaded,       // the file's memory
        KeptCorrupt,  // the file did not decode and now lies at `path + ".corrupt"`: factory memory
        Refused,      // unusable and left untouched (not a regular file, over the limit, unreadable, or
                      // corrupt and could not be moved aside): the emulator must not start
    };
    Outcome outcome = Outcome::Missing;
    KeyboardMemory memory;
    std::string message;  // one line for standard error when the outcome is KeptCorrupt or Refused
};

// Reads the state file without blocking on what is not a regular file (a FIFO, a device). A file
// that exists but does not decode is renamed to `path + ".corrupt"`, replacing an older one, so
// that the fresh state saved next never overwrites it.
StateFileLoad LoadStateFile(const std::string& path);

}  // namespace tolvex::emu
