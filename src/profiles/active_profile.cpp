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

int ActiveProfile::ReadRecords(SettingsMirror& records)
{
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
    return ended;
}

int ActiveProfile::ReadActiveProfile()
{
    KeyboardBracket keyboard(commands_.Link().Owner());
    if (!keyboard.Held())
        return kUnknownProfile;
    const ReplyCount before = commands_.Link().CountReplies();
    std::array<std::uint8_t, kDeviceInfoSize> info{};
    if (commands_.ReadDeviceInfo(info) != kDeviceOk)
        return kUnknownProfile;
    SettingsMirror records{};
    if (ReadRecords(records) != kDeviceOk || !commands_.Link().RepliesCameInTurn(before))
        return kUnknownProfile;
    const int profile = records[kActiveProfileAddress];
    WorkingModeObserver observer;
    {
        std::lock_guard lock(mutex_);
        mirror_ = records;
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
    KeyboardBracket keyboard(commands_.Link().Owner());
    if (!keyboard.Held())
        return kDeviceBusy;
    SettingsMirror records{};
    const int prepared = ReadRecords(records);
    if (prepared == kDeviceOk) {
        std::lock_guard lock(mutex_);
        mirror_ = records;
    }
    const std::uint8_t byte = static_cast<std::uint8_t>(profile);
    const int written = commands_.WriteSettings(std::span(&byte, 1), kActiveProfileAddress);
    if (written != kDeviceOk)
        return written;
    value_.store(profile & 0xFF);
    return prepared;
}

}  // namespace tavrin::profiles
