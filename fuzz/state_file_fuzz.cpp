// The emulator's state file: any text is either a whole memory that encodes back to itself, or an
// error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "state_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    const auto memory = tolvex::emu::DecodeState({reinterpret_cast<const char*>(data), size}, error);
    if (memory) {
        const auto again = tolvex::emu::DecodeState(tolvex::emu::EncodeState(*memory), error);
        if (!again || !(*again == *memory))
            std::abort();
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}
