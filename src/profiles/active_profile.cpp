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

int ActiveProfile::ReadRecordsIntoMirror()
{
    SettingsMirror records{};
    int result = kDeviceOk;
    for (std::size_t address = 0; address < kSettingsAreaSize && result == kDeviceOk; address += kSettingsRecordSize) {
        std::array<std::uint8_t, kPayloadSize> chunk{};
        result = commands_.ReadSettings(chunk, kPayloadSize, static_cast<std::uint16_t>(address));
        std::copy_n(chunk.begin(), kSettingsRecordSize, records.begin() + static_cast<std::ptrdiff_t>(address));
    }
    // The end command goes out whatever the reads gave, so that the keyboard leaves the exchange.
    const int ended = commands_.DeviceEnd();
    if (result != kDeviceOk)
        return result;
    if (ended != kDeviceOk)
        return ended;
    std::lock_guard lock(mutex_);
    mirror_ = records;
    return kDeviceOk;
}

int ActiveProfile::ReadActiveProfile()
{
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    if (commands_.ReadDeviceInfo(info) != kDeviceOk)
        return kUnknownProfile;
    if (ReadRecordsIntoMirror() != kDeviceOk)
        return kUnknownProfile;
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

int ActiveProfile::WriteActiveProfile(int profile)
{
    if (profile < 0)
        return kDeviceBadBank;
    const int prepared = ReadRecordsIntoMirror();
    const std::uint8_t byte = static_cast<std::uint8_t>(profile);
    const int written = commands_.WriteSettings(std::span(&byte, 1), kActiveProfileAddress);
    if (written != kDeviceOk)
        return written;
    value_.store(profile & 0xFF);
    return prepared;
}

}  // namespace tavrin::profiles
