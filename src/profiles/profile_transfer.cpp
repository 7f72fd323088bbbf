#include "profiles/profile_transfer.h"

#include <memory>
#include <new>

#include "device/result_codes.h"
#include "profiles/profile_file.h"
#include "profiles/working_file.h"

namespace tavrin::profiles {

bool ProfileTransfer::ReadKeyboardToFile(const std::string& path, std::u16string_view macroNamePrefix)
{
    activeProfile_.ReadActiveProfile();  // keeps the profile mirror current; the value is not needed
    std::array<model::KeyBlockBytes, model::kRecordBlocks - 1> blocks{};
    for (std::size_t profile = 0; profile < blocks.size(); ++profile)
        if (commands_.ReadKeyMapBank(blocks[profile], static_cast<int>(profile)) != device::kDeviceOk)
            return false;
    std::optional<model::MacroList> macros = download_.ReadMacroBlock(macroNamePrefix);
    if (!macros)
        return false;
    try {
        auto data = std::make_unique<ProfileData>();
        CreateDefaultProfileData(*data);
        const model::KeyBlockBytes defaults = defaults_.Get();
        for (std::size_t profile = 0; profile < blocks.size(); ++profile)
            model::DecodeKeyBlock(blocks[profile],
                std::span<model::KeyRecord, model::kRecordsPerBlock>(
                    &data->records[model::RecordNumber(static_cast<int>(profile), 0)], model::kRecordsPerBlock),
                defaults);
        data->macros = std::move(*macros);
        return SaveProfileFile(path, *data);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ProfileTransfer::ApplyWorkingData(ProfileData& working, ProfileData& applied, bool allProfiles)
{
    std::lock_guard workingLock(working.lock);
    std::lock_guard appliedLock(applied.lock);
    ClearProfileData(applied);
    if (!working.hasKeyArea)
        return false;
    try {
        // Packing first gives the snapshot's text records the offsets its texts would have in a file.
        PackTexts(working);
        applied.hasKeyArea = true;
        applied.keySectionHeader = working.keySectionHeader;
        applied.records = working.records;
        applied.macros = working.macros;
        applied.texts = working.texts;
        applied.textBytes = working.textBytes;
        WriteFileHeader(applied.fileHeader, static_cast<std::uint16_t>(applied.macros.size()), applied.textBytes);
    } catch (const std::bad_alloc&) {
        ClearProfileData(applied);
        return false;
    }
    return download_.DownloadKeysAndMacros(working, applied, allProfiles);
}

bool ProfileTransfer::Backup(const std::string& path, ProfileData& working)
{
    std::lock_guard lock(working.lock);
    return SaveProfileFile(path, working);
}

RestoreOutcome ProfileTransfer::Restore(const std::string& path, ProfileData& working, ProfileData& applied,
    const std::string& workingFile, const std::string& refusedText)
{
    if (ValidateProfileFile(path, messages_) != kProfileFileAccepted) {
        messages_.ShowMessage(refusedText);
        return RestoreOutcome::Rejected;
    }
    // Validation reads only the header: a file cut short after it must not replace the working
    // copy with default data, so the file is loaded aside first.
    std::unique_ptr<ProfileData> loaded;
    try {
        loaded = std::make_unique<ProfileData>();
    } catch (const std::bad_alloc&) {
        messages_.ShowMessage(refusedText);
        return RestoreOutcome::Rejected;
    }
    if (!LoadProfileFile(path, *loaded)) {
        messages_.ShowMessage(refusedText);
        return RestoreOutcome::Rejected;
    }
    std::lock_guard lock(working.lock);
    ClearWorkingData(working);
    MoveProfileData(*loaded, working);
    SaveWorkingFile(working, workingFile);
    return ApplyWorkingData(working, applied, true) ? RestoreOutcome::Applied : RestoreOutcome::NotApplied;
}

void MoveProfileData(ProfileData& from, ProfileData& to)
{
    std::lock_guard toLock(to.lock);
    std::lock_guard fromLock(from.lock);
    to.hasKeyArea = from.hasKeyArea;
    to.fileHeader = from.fileHeader;
    to.keySectionHeader = from.keySectionHeader;
    to.records = from.records;
    to.macros = std::move(from.macros);
    to.texts = std::move(from.texts);
    to.textBytes = from.textBytes;
    ClearProfileData(from);
}

}  // namespace tavrin::profiles
