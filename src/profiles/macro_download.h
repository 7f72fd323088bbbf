// Sending the key assignments and macros to the keyboard, and reading its macros back.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/device_commands.h"
#include "device/result_codes.h"
#include "model/key_assignment.h"
#include "model/macro_block.h"
#include "profiles/active_profile.h"

namespace tavrin::profiles {

struct ProfileData;

// The two built-in messages of the download, shown as they stand.
inline constexpr const char* kMacroSpaceExceeded
    = "Macro space exceeds the hardware space.\r\n Please reduce the number of macros or macro action "
      "number\xEF\xBC\x8C"
      "and then download.";
inline constexpr const char* kMacroNamesDropped = "shortage of hardware space, cancelled the macro name of storage.";

// The steps of a download, in the order they run; a result names the first one that failed.
enum class DownloadStep {
    None,           // nothing failed
    NoData,         // the working copy has no key area
    Memory,         // memory for the snapshot or the block was lacking
    MacroSpace,     // the macros do not fit the keyboard's memory even without names
    Busy,           // another thread or program kept the keyboard too long: nothing was sent
    ActiveProfile,  // the active profile could not be read
    DefaultMode,    // the keyboard runs its default mode: there is no profile to write
    Begin,
    MacroArea,
    KeyMap,
    End,
    OutOfTurn,  // an answer came out of turn: what the keyboard took cannot be trusted
};

struct DownloadResult {
    DownloadStep failedStep = DownloadStep::None;
    int device = device::kDeviceOk;  // what the failing command returned
    int profile = -1;                // the key map that failed to be written
    bool keyboardChanged = false;    // the bracket was opened: what the keyboard holds may have changed
    // Messages for the user, shown by the caller once the keyboard and the profile data are let go:
    // nobody may wait for a person while holding them.
    std::vector<std::string> messages;
    bool Succeeded() const { return failedStep == DownloadStep::None; }
};

inline DownloadResult FailedDownload(DownloadStep step, int device = device::kDeviceOk, int profile = -1)
{
    DownloadResult result;
    result.failedStep = step;
    result.device = device;
    result.profile = profile;
    return result;
}

// What failed, in words, for messages: "writing the key map of profile 2 failed: ...".
std::string DescribeDownload(const DownloadResult& result);

class MacroDownload {
public:
    MacroDownload(device::DeviceCommands& commands, ActiveProfile& activeProfile, model::DefaultKeyBlock& defaults)
        : commands_(commands)
        , activeProfile_(activeProfile)
        , defaults_(defaults)
    {
    }

    // The keyboard's macro memory in bytes (128 × the identity block's byte 11); 0 until read.
    void SetCapacity(std::uint32_t bytes) { capacity_ = bytes; }
    std::uint32_t Capacity() const { return capacity_.load(); }

    // Writes the applied copy's macro block and the key block of the active profile, or of all
    // three, inside one write bracket. Macro positions come from the working copy's list, read
    // under its lock (taken before the applied one). Succeeds only when every write of the bracket
    // succeeded: the first failure stops the writes, the end command still goes out so that the
    // keyboard leaves its transfer state, and the result names the step that failed. The keyboard
    // is held from the first read of the active profile to the end command; the profile data only
    // while the blocks are made.
    DownloadResult DownloadKeysAndMacros(ProfileData& working, ProfileData& applied, bool allProfiles);

    // The keyboard's macros: an empty list when it holds none, nothing when a read fails. Records
    // without a name get `namePrefix` and their position + 1.
    std::optional<model::MacroList> ReadMacroBlock(std::u16string_view namePrefix);

private:
    device::DeviceCommands& commands_;
    ActiveProfile& activeProfile_;
    model::DefaultKeyBlock& defaults_;
    std::atomic<std::uint32_t> capacity_{0};
};

}  // namespace tavrin::profiles
