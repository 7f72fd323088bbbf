#include "model/macro_download.h"

#include "device/result_codes.h"
#include "model/little_endian.h"
#include "profiles/profile_data.h"

namespace tavrin::model {

bool MacroDownload::DownloadKeysAndMacros(
    profiles::ProfileData& working, profiles::ProfileData& applied, bool allProfiles)
{
    std::vector<std::uint8_t> block;
    std::array<std::optional<KeyBlockBytes>, kRecordBlocks - 1> keyBlocks;
    const KeyBlockBytes defaults = defaults_.Get();
    bool withNames = false;
    {
        std::scoped_lock locks(working.lock, applied.lock);
        const MacroBlockSizes sizes = ComputeMacroBlockSizes(applied.macros);
        if (sizes.withoutNames > capacity_.load()) {
            messages_.ShowMessage(kMacroSpaceExceeded);
            return false;
        }
        withNames = sizes.withNames <= capacity_.load();
        block = EncodeMacroBlock(applied.macros, withNames, withNames ? sizes.withNames : sizes.withoutNames);
        for (int profile = 0; profile < static_cast<int>(keyBlocks.size()); ++profile) {
            const KeyBlockRecords records(&applied.records[RecordNumber(profile, 0)], kRecordsPerBlock);
            keyBlocks[static_cast<std::size_t>(profile)] = EncodeKeyBlock(records, working.macros, defaults);
        }
    }
    int profileToWrite = -1;
    if (!allProfiles) {
        profileToWrite = activeProfile_.ReadActiveProfile();
        if (profileToWrite < 0 || profileToWrite >= static_cast<int>(keyBlocks.size()))
            return false;
    }

    commands_.DeviceBegin();
    commands_.WriteMacroArea(block);
    int lastResult = device::kDeviceAbsent;
    if (allProfiles) {
        for (int profile = 0; profile < static_cast<int>(keyBlocks.size()); ++profile)
            lastResult = commands_.WriteKeyMapBank(*keyBlocks[static_cast<std::size_t>(profile)], profile);
    } else {
        // Read again inside the bracket: the profile may have changed on the keyboard meanwhile.
        profileToWrite = activeProfile_.ReadActiveProfile();
        if (profileToWrite >= 0 && profileToWrite < static_cast<int>(keyBlocks.size()))
            lastResult
                = commands_.WriteKeyMapBank(*keyBlocks[static_cast<std::size_t>(profileToWrite)], profileToWrite);
    }
    commands_.DeviceEnd();
    if (!withNames)
        messages_.ShowMessage(kMacroNamesDropped);
    return lastResult == device::kDeviceOk;
}

std::optional<MacroList> MacroDownload::ReadMacroBlock(std::u16string_view namePrefix)
{
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

}  // namespace tavrin::model
