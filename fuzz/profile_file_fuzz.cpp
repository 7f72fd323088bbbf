// Profile files come from anywhere: any bytes must check, validate and load without reading outside
// them or holding more than the bounded texts, and whatever loads must save and load again to the
// same macros and texts.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "profiles/profile_file.h"

namespace {

class SilentMessages final : public tavrin::model::UserMessages {
public:
    void ShowMessage(const std::string&) override { }
};

// The file the loaders read: a file in memory, reached by a path of this process's own, so that a
// run touches no folder and costs no disk.
class MemoryFile {
public:
    MemoryFile()
        : fd_(::memfd_create("profile.tvn", MFD_CLOEXEC))
        , path_("/proc/self/fd/" + std::to_string(fd_))
    {
        if (fd_ < 0)
            std::abort();
    }
    const std::string& Hold(std::string_view bytes) const
    {
        if (::ftruncate(fd_, 0) != 0
            || ::pwrite(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
            std::abort();
        return path_;
    }

private:
    int fd_;
    std::string path_;
};

// In one pass, byte for byte: every text within the bound, and the same texts in both copies. Up to
// 2048 texts compared unit by unit, every comparison instrumented, would take most of a run.
bool BoundedAndSame(const tavrin::profiles::ProfileData& a, const tavrin::profiles::ProfileData& b)
{
    for (std::size_t r = 0; r < a.texts.size(); ++r) {
        const auto& left = a.texts[r];
        const auto& right = b.texts[r];
        if (left.has_value() != right.has_value())
            return false;
        if (left
            && (left->size() > tavrin::profiles::kMaxTextUnits || left->size() != right->size()
                || std::memcmp(left->data(), right->data(), left->size() * sizeof(char16_t)) != 0))
            return false;
    }
    return true;
}

// The two copies a run loads into, made once: a fresh pair for every input would spend most of
// the run obtaining and clearing their memory.
tavrin::profiles::ProfileData& Cleared(std::unique_ptr<tavrin::profiles::ProfileData>& data)
{
    if (!data)
        data = std::make_unique<tavrin::profiles::ProfileData>();
    tavrin::profiles::ClearProfileData(*data);
    return *data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavrin::profiles;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckProfileFileBytes(bytes);

    static const MemoryFile file;
    const std::string& path = file.Hold(bytes);
    SilentMessages messages;
    ValidateProfileFile(path, messages);
    static std::unique_ptr<ProfileData> loadedCopy, reloadedCopy;
    ProfileData& loaded = Cleared(loadedCopy);
    const bool decoded = LoadProfileFile(path, loaded);
    if (!decoded && (loaded.textBytes != 0 || !loaded.macros.empty()))
        std::abort();  // a failed load leaves default data, never a half-filled copy
    // However many records share one long text, each keeps at most the bound (checked below).
    if (loaded.textBytes > kMaxTextAreaBytes)
        std::abort();

    const std::optional<std::string> again = EncodeProfileFile(loaded);
    if (!again)
        std::abort();
    ProfileData& reloaded = Cleared(reloadedCopy);
    if (!DecodeProfileFile(*again, reloaded) || reloaded.macros != loaded.macros || !BoundedAndSame(reloaded, loaded)
        || reloaded.textBytes != loaded.textBytes)
        std::abort();
    return 0;
}
