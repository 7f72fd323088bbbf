#include "profiles/macro_download.h"

#include "device/device_identity.h"
#include "device/result_codes.h"
#include "model/little_endian.h"
#include "profiles/profile_data.h"

namespace tavrin::profiles {

using namespace tavrin::model;

std::string DescribeDownload(const DownloadResult& result)
{
    const std::string reason = ": " + device::DeviceResultText(result.device);
    switch (result.failedStep) {
    case DownloadStep::None:
        return "written";
    case DownloadStep::NoData:
        return "there are no assignments to write";
    case DownloadStep::Memory:
        return "memory was lacking";
    case DownloadStep::MacroSpace:
        return "the macros do not fit the keyboard's memory";
    case DownloadStep::Busy:
        return "another program kept the keyboard busy, so nothing was written";
    case DownloadStep::ActiveProfile:
        return "reading the active profile failed";
    case DownloadStep::DefaultMode:
        return "the keyboard runs its default mode, so no profile is active";
    case DownloadStep::Begin:
        return "opening the transfer (begin command) failed" + reason;
    case DownloadStep::MacroArea:
        return "writing the macros failed" + reason;
    case DownloadStep::KeyMap:
        return "writing the key map of profile " + std::to_string(result.profile + 1) + " failed" + reason;
    case DownloadStep::End:
        return "closing the transfer (end command) failed" + reason;
    case DownloadStep::OutOfTurn:
        return "the keyboard answered out of turn, so what it took cannot be trusted";
    }
    return "failed";
}

DownloadResult MacroDownload::DownloadKeysAndMacros(ProfileData& working, ProfileData& applied, bool allProfiles)
{
    constexpr int kProfiles = kRecordBlocks - 1;
    std::vector<std::uint8_t> block;
    std::array<std::optional<KeyBlockBytes>, kProfiles> keyBlocks;
    const KeyBlockBytes defaults = defaults_.Get();
    bool withNames = false;
    {
        std::scoped_lock locks(working.lock, applied.lock);
        const MacroBlockSizes sizes = ComputeMacroBlockSizes(applied.macros);
        if (sizes.withoutNames > capacity_.load()) {
            DownloadResult refused = FailedDownload(DownloadStep::MacroSpace);
            refused.messages.emplace_back(kMacroSpaceExceeded);
            return refused;
        }
        withNames = sizes.withNames <= capacity_.load();
        block = EncodeMacroBlock(applied.macros, withNames, withNames ? sizes.withNames : sizes.withoutNames);
        for (int profile = 0; profile < kProfiles; ++profile) {
            const KeyBlockRecords records(&applied.records[RecordNumber(profile, 0)], kRecordsPerBlock);
            keyBlocks[static_cast<std::size_t>(profile)] = EncodeKeyBlock(records, working.macros, defaults);
        }
    }
    // A single profile is written only to a user profile: an unknown one, or the default mode, is
    // refused before anything is sent.
    auto checkProfile = [](int profile) -> std::optional<DownloadResult> {
        if (profile < 0)
            return FailedDownload(DownloadStep::ActiveProfile);
        if (profile >= kProfiles)
            return FailedDownload(DownloadStep::DefaultMode);
        return std::nullopt;
    };
    device::KeyboardBracket keyboard(commands_.Link().Owner());
    if (!keyboard.Held())
        return FailedDownload(DownloadStep::Busy, device::kDeviceBusy);
    if (!allProfiles)
        if (auto refused = checkProfile(activeProfile_.ReadActiveProfile()))
            return *refused;

    const device::ReplyCount before = commands_.Link().CountReplies();
    DownloadResult result;
    auto step = [&result](DownloadStep name, int device, int profile = -1) {
        if (result.Succeeded() && device != device::kDeviceOk)
            result = FailedDownload(name, device, profile);
        return result.Succeeded();
    };
    const bool opened = step(DownloadStep::Begin, commands_.DeviceBegin());
    const bool macrosWritten = opened && step(DownloadStep::MacroArea, commands_.WriteMacroArea(block));
    if (macrosWritten && allProfiles) {
        for (int profile = 0; profile < kProfiles; ++profile)
            if (!step(DownloadStep::KeyMap,
                    commands_.WriteKeyMapBank(*keyBlocks[static_cast<std::size_t>(profile)], profile), profile))
                break;
    } else if (macrosWritten) {
        // Read again inside the bracket: the profile may have changed on the keyboard meanwhile.
        const int profile = activeProfile_.ReadActiveProfile();
        if (auto refused = checkProfile(profile))
            result = *refused;
        else
            step(DownloadStep::KeyMap,
                commands_.WriteKeyMapBank(*keyBlocks[static_cast<std::size_t>(profile)], profile), profile);
    }
    step(DownloadStep::End, commands_.DeviceEnd());
    if (result.Succeeded() && !commands_.Link().RepliesCameInTurn(before))
        result = FailedDownload(DownloadStep::OutOfTurn);
    result.keyboardChanged = opened;
    if (!withNames && macrosWritten)
        result.messages.emplace_back(kMacroNamesDropped);
    return result;
}

std::optional<MacroList> MacroDownload::ReadMacroBlock(std::u16string_view namePrefix)
{
    device::KeyboardBracket keyboard(commands_.Link().Owner());
    if (!keyboard.Held())
        return std::nullopt;
    std::vector<std::uint8_t> header(kMacroBlockHeaderSize);
    if (commands_.ReadMacroArea(header) != device::kDeviceOk)
        return std::nullopt;
    if (LoadU16(header.data()) != kMacroBlockMagic)
        return MacroList{};
    const std::size_t length = LoadU16(header.data() + 2);
    if (length < kMacroBlockHeaderSize)
        return MacroList{};
    std::vector<std::uint8_t> block(length);
    if (commands_.ReadMacroArea(block) != device::kDeviceOk)
        return std::nullopt;
    return DecodeMacroBlock(block, namePrefix);
}

}  // namespace tavrin::profiles
