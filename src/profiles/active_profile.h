// Which profile the keyboard runs: 0 to 2 the user profiles, 3 or more its default mode, -1
// unknown. Almost every operation on the current profile asks the keyboard first.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <mutex>

#include "device/device_commands.h"
#include "device/device_memory.h"

namespace tavrin::profiles {

inline constexpr int kUnknownProfile = -1;
inline constexpr int kDefaultModeProfile = 3;

using SettingsMirror = std::array<std::uint8_t, device::kSettingsAreaSize>;

class ActiveProfile {
public:
    // Told after every successful read whether the working-mode label shows (the keyboard runs its
    // default mode); the window then repaints.
    using WorkingModeObserver = std::function<void(bool shown)>;

    explicit ActiveProfile(device::DeviceCommands& commands)
        : commands_(commands)
    {
    }

    void SetWorkingModeObserver(WorkingModeObserver observer);

    // Reads the active-profile byte from the keyboard. -1 when any read of the sequence (identity,
    // the three settings records, the closing end command) fails: the mirror, the label and the
    // stored value then keep what was last known, never a guess.
    int ReadActiveProfile();
    // Makes a profile active on the keyboard and returns a device result: the first failure among
    // the record reads, the end command and the profile write. A negative profile sends nothing and
    // gives -201. The stored value takes the new profile only when the keyboard took it.
    int WriteActiveProfile(int profile);

    // The last profile the keyboard reported or took.
    int Value() const { return value_.load(); }
    // Set to unknown at start-up and when the keyboard is removed.
    void SetUnknown() { value_.store(kUnknownProfile); }
    SettingsMirror Mirror() const;

private:
    // Reads the three settings records into `records`, then sends the end command; the first
    // failure, or 1.
    int ReadRecords(SettingsMirror& records);

    device::DeviceCommands& commands_;
    std::atomic<int> value_{kUnknownProfile};
    mutable std::mutex mutex_;  // the mirror and the observer: the window thread and the presence worker both read
    SettingsMirror mirror_{};
    WorkingModeObserver observer_;
};

}  // namespace tavrin::profiles
