// What the keyboard sends back as its macro block and key maps is untrusted: any bytes must decode
// without reading outside them, and a decoded macro list must encode again within its own size.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/key_assignment.h"
#include "model/macro_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavrin::model;
    const MacroList macros = DecodeMacroBlock({data, size}, u"Macro");
    if (macros.size() > kMaxMacros)
        std::abort();
    const MacroBlockSizes sizes = ComputeMacroBlockSizes(macros);
    const auto again = EncodeMacroBlock(macros, true, sizes.withNames);
    if (DecodeMacroBlock(again, u"Macro").size() != macros.size())
        std::abort();

    KeyBlockBytes block{};
    std::copy_n(data, std::min(size, block.size()), block.begin());
    std::array<KeyRecord, kRecordsPerBlock> records{};
    DecodeKeyBlock(block, records, BuiltInDefaultKeyBlock());
    EncodeKeyBlock(KeyBlockRecords(records), macros, BuiltInDefaultKeyBlock());
    return 0;
}
