// The keyboard's request handling: any request, of any length, gets a well-formed reply and never
// touches memory outside an area.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "firmware.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static tolvex::emu::Firmware firmware(tolvex::emu::FactoryMemory());
    // A valid checksum most of the time, so that the commands themselves are explored.
    tolvex::emu::Report request{};
    std::copy_n(data, std::min(size, request.size()), request.begin());
    if (size > 0 && (data[0] & 1) == 0)
        tolvex::emu::SealReport(request);
    const auto outcome = firmware.HandleControl(size > 64 ? std::span(data, size) : std::span(request.data(), size));
    if (outcome.reply[0] != tolvex::emu::kControlReportId)
        std::abort();
    return 0;
}
