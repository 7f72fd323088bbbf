// Sending the key assignments and macros to the keyboard, and reading its macros back.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "device/device_commands.h"
#include "model/key_assignment.h"
#include "model/macro_block.h"
#include "model/user_messages.h"
#include "profiles/active_profile.h"

namespace tavrin::profiles {
struct ProfileData;
}

namespace tavrin::model {

// The two built-in messages of the download, shown as they stand.
inline constexpr const char* kMacroSpaceExceeded
    = "Macro space exceeds the hardware space.\r\n Please reduce the number of macros or macro action "
      "number\xEF\xBC\x8C"
      "and then download.";
inline constexpr const char* kMacroNamesDropped = "shortage of hardware space, cancelled the macro name of storage.";

class MacroDownload {
public:
    MacroDownload(device::DeviceCommands& commands, profiles::ActiveProfile& activeProfile, DefaultKeyBlock& defaults,
        UserMessages& messages)
        : commands_(commands)
        , activeProfile_(activeProfile)
        , defaults_(defaults)
        , messages_(messages)
    {
    }

    // The keyboard's macro memory in bytes (128 × the identity block's byte 11); 0 until read.
    void SetCapacity(std::uint32_t bytes) { capacity_ = bytes; }
    std::uint32_t Capacity() const { return capacity_.load(); }

    // Writes the applied copy's macro block and the key block of the active profile, or of all
    // three, inside one write bracket. Macro positions come from the working copy's list, read
    // under its lock (taken before the applied one). True when the last key block was written.
    bool DownloadKeysAndMacros(profiles::ProfileData& working, profiles::ProfileData& applied, bool allProfiles);

    // The keyboard's macros: an empty list when it holds none, nothing when a read fails. Records
    // without a name get `namePrefix` and their position + 1.
    std::optional<MacroList> ReadMacroBlock(std::u16string_view namePrefix);

private:
    device::DeviceCommands& commands_;
    profiles::ActiveProfile& activeProfile_;
    DefaultKeyBlock& defaults_;
    UserMessages& messages_;
    std::atomic<std::uint32_t> capacity_{0};
};

}  // namespace tavrin::model
