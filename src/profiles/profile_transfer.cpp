#include "profiles/profile_transfer.h"

#include <memory>
#include <new>

#include "device/device_identity.h"
#include "device/result_codes.h"
#include "platform/atomic_file.h"
#include "profiles/profile_file.h"

namespace tavrin::profiles {
namespace {

KeyboardReadResult FailedRead(KeyboardReadStep step, int device = device::kDeviceOk, int profile = -1)
{
    KeyboardReadResult result;
    result.failedStep = step;
    result.device = device;
    result.profile = profile;
    return result;
}

std::string KeyboardState(const DownloadResult& download)
{
    return download.keyboardChanged ? "the keyboard may hold part of it" : "the keyboard is unchanged";
}

std::string WorkingFileState(WorkingFileSave save)
{
    switch (save) {
    case WorkingFileSave::Saved:
        return "the working file holds the changes";
    case WorkingFileSave::Missing:
        return "there is no working file to hold them";
    case WorkingFileSave::Failed:
        return "the working file could not be saved and keeps its previous contents";
    }
    return {};
}

}  // namespace

std::string DescribeKeyboardRead(const KeyboardReadResult& result)
{
    const std::string reason = ": " + device::DeviceResultText(result.device);
    switch (result.failedStep) {
    case KeyboardReadStep::None:
        return "read";
    case KeyboardReadStep::Busy:
        return "another program kept the keyboard busy";
    case KeyboardReadStep::ActiveProfile:
        return "reading the active profile failed";
    case KeyboardReadStep::KeyMap:
        return "reading the key map of profile " + std::to_string(result.profile + 1) + " failed" + reason;
    case KeyboardReadStep::Macros:
        return "reading the macros failed";
    case KeyboardReadStep::OutOfTurn:
        return "the keyboard answered out of turn, so nothing read can be trusted";
    case KeyboardReadStep::Memory:
        return "memory was lacking";
    case KeyboardReadStep::File:
        return "the file could not be written: " + result.fileError;
    }
    return "failed";
}

std::string DescribeApply(const ApplyResult& result)
{
    if (result.Succeeded())
        return "applied";
    if (!result.download.Succeeded())
        return "Writing to the keyboard failed (" + DescribeDownload(result.download) + "); "
            + KeyboardState(result.download) + ", and " + WorkingFileState(result.workingFile) + ".";
    return "The keyboard holds the changes, but " + WorkingFileState(result.workingFile) + ".";
}

std::string DescribeRestoreFailure(const RestoreResult& result)
{
    const std::string workingFile = result.workingFile == WorkingFileSave::Saved
        ? "the working file now holds the file's contents while the keyboard may not"
        : WorkingFileState(result.workingFile);
    return "writing to the keyboard failed (" + DescribeDownload(result.download) + "); "
        + (result.download.keyboardChanged ? "its profiles may be partly written" : "the keyboard is unchanged") + "; "
        + workingFile;
}

KeyboardReadResult ProfileTransfer::ReadKeyboardAreas(
    std::array<model::KeyBlockBytes, model::kRecordBlocks - 1>& blocks, std::optional<model::MacroList>& macros,
    std::u16string_view macroNamePrefix)
{
    device::KeyboardBracket keyboard(commands_.Link().Owner());
    if (!keyboard.Held())
        return FailedRead(KeyboardReadStep::Busy, device::kDeviceBusy);
    const device::ReplyCount before = commands_.Link().CountReplies();
    // The value is not needed, but a keyboard that cannot say it is not read from.
    if (activeProfile_.ReadActiveProfile() == kUnknownProfile)
        return FailedRead(KeyboardReadStep::ActiveProfile);
    for (std::size_t profile = 0; profile < blocks.size(); ++profile) {
        const int read = commands_.ReadKeyMapBank(blocks[profile], static_cast<int>(profile));
        if (read != device::kDeviceOk)
            return FailedRead(KeyboardReadStep::KeyMap, read, static_cast<int>(profile));
    }
    macros = download_.ReadMacroBlock(macroNamePrefix);
    if (!macros)
        return FailedRead(KeyboardReadStep::Macros);
    if (!commands_.Link().RepliesCameInTurn(before))
        return FailedRead(KeyboardReadStep::OutOfTurn);
    return {};
}

KeyboardReadResult ProfileTransfer::ReadKeyboard(ProfileData& data, std::u16string_view macroNamePrefix)
{
    std::array<model::KeyBlockBytes, model::kRecordBlocks - 1> blocks{};
    std::optional<model::MacroList> macros;
    if (KeyboardReadResult read = ReadKeyboardAreas(blocks, macros, macroNamePrefix); !read.Succeeded())
        return read;
    try {
        auto read = std::make_unique<ProfileData>();
        CreateDefaultProfileData(*read);
        const model::KeyBlockBytes defaults = defaults_.Get();
        for (std::size_t profile = 0; profile < blocks.size(); ++profile)
            model::DecodeKeyBlock(blocks[profile],
                std::span<model::KeyRecord, model::kRecordsPerBlock>(
                    &read->records[model::RecordNumber(static_cast<int>(profile), 0)], model::kRecordsPerBlock),
                defaults);
        read->macros = std::move(*macros);
        MoveProfileData(*read, data);
    } catch (const std::bad_alloc&) {
        return FailedRead(KeyboardReadStep::Memory);
    }
    return {};
}

KeyboardReadResult ProfileTransfer::ReadKeyboardToFile(const std::string& path, std::u16string_view macroNamePrefix)
{
    std::unique_ptr<ProfileData> data;
    try {
        data = std::make_unique<ProfileData>();
    } catch (const std::bad_alloc&) {
        return FailedRead(KeyboardReadStep::Memory);
    }
    KeyboardReadResult result = ReadKeyboard(*data, macroNamePrefix);
    if (!result.Succeeded())
        return result;
    std::lock_guard lock(data->lock);
    const std::optional<std::string> bytes = EncodeProfileFile(*data);
    if (!bytes)
        return FailedRead(KeyboardReadStep::Memory);
    // Macros can hold what the user typed: a new backup is for the user's eyes only.
    if (!platform::WriteFileAtomically(path, *bytes, result.fileError, true, platform::NewFileAccess::Private))
        result.failedStep = KeyboardReadStep::File;
    return result;
}

std::optional<DownloadResult> ProfileTransfer::SnapshotWorkingData(ProfileData& working, ProfileData& applied)
{
    std::lock_guard workingLock(working.lock);
    std::lock_guard appliedLock(applied.lock);
    ClearProfileData(applied);
    if (!working.hasKeyArea)
        return FailedDownload(DownloadStep::NoData);
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
        return FailedDownload(DownloadStep::Memory);
    }
    return std::nullopt;
}

DownloadResult ProfileTransfer::ApplyWorkingData(ProfileData& working, ProfileData& applied, bool allProfiles)
{
    if (std::optional<DownloadResult> refused = SnapshotWorkingData(working, applied))
        return *refused;
    // The profile data is let go before the keyboard is written: a window thread that only wants to
    // draw the working copy never waits for a slow keyboard.
    return download_.DownloadKeysAndMacros(working, applied, allProfiles);
}

ApplyResult ProfileTransfer::Apply(ProfileData& working, ProfileData& applied, const std::string& workingFile)
{
    ApplyResult result;
    std::optional<DownloadResult> refused;
    {
        // The working file and the snapshot come from the same working copy.
        std::lock_guard lock(working.lock);
        result.workingFile = SaveWorkingFileIfPresent(working, workingFile);
        refused = SnapshotWorkingData(working, applied);
    }
    result.download = refused ? *refused : download_.DownloadKeysAndMacros(working, applied, false);
    return result;
}

bool ProfileTransfer::Backup(const std::string& path, ProfileData& working)
{
    std::lock_guard lock(working.lock);
    return SaveProfileFile(path, working);
}

RestoreResult ProfileTransfer::Restore(const std::string& path, ProfileData& working, ProfileData& applied,
    const std::string& workingFile, const std::string& refusedText)
{
    RestoreResult result;
    if (ValidateProfileFile(path, messages_) != kProfileFileAccepted) {
        messages_.ShowMessage(refusedText);
        return result;
    }
    // Validation reads only the header: a file cut short after it must not replace the working
    // copy with default data, so the file is loaded aside first.
    std::unique_ptr<ProfileData> loaded;
    try {
        loaded = std::make_unique<ProfileData>();
    } catch (const std::bad_alloc&) {
        messages_.ShowMessage(refusedText);
        return result;
    }
    if (!LoadProfileFile(path, *loaded)) {
        messages_.ShowMessage(refusedText);
        return result;
    }
    return RestoreData(*loaded, working, applied, workingFile);
}

RestoreResult ProfileTransfer::RestoreData(
    ProfileData& loaded, ProfileData& working, ProfileData& applied, const std::string& workingFile)
{
    RestoreResult result;
    std::optional<DownloadResult> refused;
    {
        std::lock_guard lock(working.lock);
        ClearWorkingData(working);
        MoveProfileData(loaded, working);
        result.workingFile = SaveWorkingFileIfPresent(working, workingFile);
        refused = SnapshotWorkingData(working, applied);
    }
    result.download = refused ? *refused : download_.DownloadKeysAndMacros(working, applied, true);
    result.outcome = result.download.Succeeded() ? RestoreOutcome::Applied : RestoreOutcome::NotApplied;
    return result;
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
