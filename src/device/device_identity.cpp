#include "device/device_identity.h"

#include "device/result_codes.h"

namespace tavrin::device {

namespace {
constexpr std::size_t kCapacityByte = 11;
constexpr std::size_t kFirstModeByte = 12;
constexpr std::size_t kModeBytes = 23;
constexpr std::uint32_t kCapacityUnit = 128;
}  // namespace

std::uint32_t MacroCapacityOf(DeviceInfo info)
{
    return kCapacityUnit * info[kCapacityByte];
}

std::vector<std::uint8_t> OfferedModesOf(DeviceInfo info)
{
    std::vector<std::uint8_t> modes;
    for (std::uint8_t mode : info.subspan(kFirstModeByte, kModeBytes))
        if (mode != 0)
            modes.push_back(mode);
    return modes;
}

std::string DeviceResultText(int result)
{
    switch (result) {
    case kDeviceOk:
        return "done";
    case kDeviceAbsent:
        return "no keyboard is connected";
    case kDeviceRefused:
        return "the service library refused to send";
    case kDeviceNoReply:
        return "the keyboard did not answer";
    case kDeviceStatusError:
        return "the keyboard reported an error";
    case kDeviceStatusRange:
        return "the keyboard refused the address or length";
    case kDeviceBadBank:
        return "no such key map";
    case kDeviceBusy:
        return "the keyboard is busy with another program";
    default:
        return "device result " + std::to_string(result);
    }
}

}  // namespace tavrin::device
