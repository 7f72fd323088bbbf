// INI files come from users and from disk: any text must parse, and a value written into any text
// must read back as written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/private_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    tavrin::platform::FindProfileValue(text, "TEXT", "IDS_MAIN_OK");
    tavrin::platform::CutToUtf16Units(text, 259);

    const std::string updated = tavrin::platform::SetProfileValue(text, "Fuzz", "key", "value 1");
    if (tavrin::platform::FindProfileValue(updated, "fuzz", "KEY") != "value 1")
        std::abort();
    const std::string removed = tavrin::platform::SetProfileValue(updated, "Fuzz", "key", std::nullopt);
    if (tavrin::platform::FindProfileValue(removed, "Fuzz", "key").has_value()
        && !tavrin::platform::FindProfileValue(text, "Fuzz", "key").has_value())
        std::abort();
    return 0;
}
