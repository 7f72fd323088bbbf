#include "profiles/active_profile.h"

#include "device/result_codes.h"

namespace tavrin::profiles {

using namespace tavrin::device;

void ActiveProfile::SetWorkingModeObserver(WorkingModeObserver observer)
{
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

SettingsMirror ActiveProfile::Mirror() const
{
    std::lock_guard lock(mutex_);
    return mirror_;
}

void ActiveProfile::ReadRecordsIntoMirror()
{
    // The results are not examined: a record that could not be read keeps its last bytes.
    for (std::size_t address = 0; address < kSettingsAreaSize; address += kSettingsRecordSize) {
        std::array<std::uint8_t, kPayloadSize> chunk{};
        if (commands_.ReadSettings(chunk, kPayloadSize, static_cast<std::uint16_t>(address)) == kDeviceOk) {
            std::lock_guard lock(mutex_);
            std::copy_n(chunk.begin(), kSettingsRecordSize, mirror_.begin() + static_cast<std::ptrdiff_t>(address));
        }
    }
    commands_.DeviceEnd();
}

int ActiveProfile::ReadActiveProfile()
{
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    if (commands_.ReadDeviceInfo(info) != kDeviceOk)
        return kUnknownProfile;
    ReadRecordsIntoMirror();
    WorkingModeObserver observer;
    int profile = 0;
    {
        std::lock_guard lock(mutex_);
        profile = mirror_[kActiveProfileAddress];
        observer = observer_;
    }
    value_.store(profile);
    if (observer)
        observer(profile >= kDefaultModeProfile);
    return profile;
}

void ActiveProfile::WriteActiveProfile(int profile)
{
    if (profile < 0)
        return;
    ReadRecordsIntoMirror();
    value_.store(profile & 0xFF);
    const std::uint8_t byte = static_cast<std::uint8_t>(profile);
    commands_.WriteSettings(std::span(&byte, 1), kActiveProfileAddress);
}

}  // namespace tavrin::profiles
