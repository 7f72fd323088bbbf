// Profile files come from anywhere: any bytes must check, validate and load without reading outside
// them, and whatever loads must save and load again to the same macros and texts.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "profiles/profile_file.h"

namespace {

class SilentMessages final : public tavrin::model::UserMessages {
public:
    void ShowMessage(const std::string&) override { }
};

const std::string& ScratchFile()
{
    static const std::string path = "/tmp/tavrin-fuzz-profile-" + std::to_string(::getpid()) + ".tvn";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavrin::profiles;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckProfileFileBytes(bytes);

    {
        std::ofstream file(ScratchFile(), std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    SilentMessages messages;
    ValidateProfileFile(ScratchFile(), messages);
    auto loaded = std::make_unique<ProfileData>();
    const bool decoded = LoadProfileFile(ScratchFile(), *loaded);
    if (!decoded && (loaded->textBytes != 0 || !loaded->macros.empty()))
        std::abort();  // a failed load leaves default data, never a half-filled copy

    const std::optional<std::string> again = EncodeProfileFile(*loaded);
    if (!again)
        std::abort();
    auto reloaded = std::make_unique<ProfileData>();
    if (!DecodeProfileFile(*again, *reloaded) || reloaded->macros != loaded->macros || reloaded->texts != loaded->texts
        || reloaded->textBytes != loaded->textBytes)
        std::abort();
    return 0;
}
