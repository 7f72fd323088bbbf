// The framing on the emulator's socket: any byte stream, cut anywhere, must give whole frames or a
// clean "broken", never a read past the buffer.
#include <cstddef>
#include <cstdint>

#include "tolvex/emu_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tolvex::emu::FrameReader reader;
    // The first byte decides where the stream is cut, as reads from a socket would cut it.
    const std::size_t cut = size > 0 ? data[0] % (size + 1) : 0;
    reader.Append({data, cut});
    bool broken = false;
    while (auto frame = reader.Next(broken))
        tolvex::emu::DecodeInterfaces(frame->payload);
    if (broken)
        return 0;
    reader.Append({data + cut, size - cut});
    while (auto frame = reader.Next(broken))
        tolvex::emu::DecodeInterfaces(frame->payload);
    return 0;
}
