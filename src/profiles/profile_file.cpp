#include "profiles/profile_file.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>

#include "model/key_table.h"
#include "model/little_endian.h"
#include "platform/atomic_file.h"
#include "tolvex/tolvex.h"

namespace tavrin::profiles {

namespace {

using model::LoadU16;
using model::LoadU32;
using model::StoreU16;
using model::StoreU32;

constexpr std::uint16_t kFormatMajor = 3;
constexpr std::uint16_t kFormatMinor = 1;
constexpr std::size_t kActionBytes = 8;
// Macro records are most of a file's bytes; where the host's byte order is the file's, they are
// copied whole instead of field by field.
constexpr bool kHostIsLittleEndian = std::endian::native == std::endian::little;

bool HasText(const model::KeyRecord& record)
{
    return record.kind == model::KIND_PROGRAM || record.kind == model::KIND_TEXT;
}

void WriteKeyRecord(std::uint8_t* bytes, const model::KeyRecord& record)
{
    StoreU16(bytes + 0, record.kind);
    StoreU16(bytes + 2, record.aux);
    StoreU32(bytes + 4, record.value);
    StoreU32(bytes + 8, record.colourKeyFlag);
    StoreU32(bytes + 12, record.reserved);
}

model::KeyRecord ReadKeyRecord(const std::uint8_t* bytes)
{
    return {LoadU16(bytes + 0), LoadU16(bytes + 2), LoadU32(bytes + 4), LoadU32(bytes + 8), LoadU32(bytes + 12)};
}

// A macro record exactly as it lies in memory, padding included, in little-endian order.
void AppendMacroRecord(std::string& out, const model::MacroRecord& record)
{
    const std::size_t start = out.size();
    out.resize(start + kMacroRecordBytes);
    auto* bytes = reinterpret_cast<std::uint8_t*>(out.data() + start);
    if constexpr (kHostIsLittleEndian) {
        std::memcpy(bytes, &record, kMacroRecordBytes);  // the file's order is the host's
        return;
    }
    for (std::size_t u = 0; u < model::kMacroNameUnits; ++u)
        StoreU16(bytes + 2 * u, record.name[u]);
    bytes[offsetof(model::MacroRecord, cycles)] = record.cycles;
    bytes[offsetof(model::MacroRecord, padding1)] = record.padding1;
    StoreU16(bytes + offsetof(model::MacroRecord, isNew), record.isNew);
    StoreU16(bytes + offsetof(model::MacroRecord, playMode), record.playMode);
    StoreU16(bytes + offsetof(model::MacroRecord, id), record.id);
    StoreU16(bytes + offsetof(model::MacroRecord, actionCount), record.actionCount);
    StoreU16(bytes + offsetof(model::MacroRecord, padding2), record.padding2);
    std::uint8_t* action = bytes + offsetof(model::MacroRecord, actions);
    for (const model::MacroAction& a : record.actions) {
        StoreU32(action, a.delay);
        StoreU16(action + 4, a.key);
        StoreU16(action + 6, a.release);
        action += kActionBytes;
    }
}

// A record from a file may claim more than 2000 actions or carry a name without a terminator: both
// are cut to what the record can hold.
void KeepWithinRecord(model::MacroRecord& record)
{
    record.name[model::kMacroNameUnits - 1] = u'\0';
    record.actionCount = std::min<std::uint16_t>(record.actionCount, model::kMaxMacroActions);
}

// The counterpart of AppendMacroRecord, kept within the record.
void ReadMacroRecord(const std::uint8_t* bytes, model::MacroRecord& record)
{
    if constexpr (kHostIsLittleEndian) {
        std::memcpy(&record, bytes, kMacroRecordBytes);
        KeepWithinRecord(record);
        return;
    }
    for (std::size_t u = 0; u < model::kMacroNameUnits; ++u)
        record.name[u] = static_cast<char16_t>(LoadU16(bytes + 2 * u));
    record.cycles = bytes[offsetof(model::MacroRecord, cycles)];
    record.padding1 = bytes[offsetof(model::MacroRecord, padding1)];
    record.isNew = LoadU16(bytes + offsetof(model::MacroRecord, isNew));
    record.playMode = LoadU16(bytes + offsetof(model::MacroRecord, playMode));
    record.id = LoadU16(bytes + offsetof(model::MacroRecord, id));
    record.actionCount = LoadU16(bytes + offsetof(model::MacroRecord, actionCount));
    record.padding2 = LoadU16(bytes + offsetof(model::MacroRecord, padding2));
    const std::uint8_t* action = bytes + offsetof(model::MacroRecord, actions);
    for (model::MacroAction& a : record.actions) {
        a = {LoadU32(action), LoadU16(action + 4), LoadU16(action + 6)};
        action += kActionBytes;
    }
    KeepWithinRecord(record);
}

// The offset of the first all-zero unit at or after `at`; npos when none lies wholly before `size`.
std::size_t FindTerminator(const std::uint8_t* bytes, std::size_t at, std::size_t size)
{
    // Eight bytes at a time while no 16-bit lane is zero, then unit by unit.
    constexpr std::uint64_t kLow = 0x0001000100010001ull;
    constexpr std::uint64_t kHigh = 0x8000800080008000ull;
    for (; at + 8 <= size; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at, sizeof word);
        if (((word - kLow) & ~word & kHigh) != 0)
            break;
    }
    for (; at + 1 < size; at += 2)
        if (bytes[at] == 0 && bytes[at + 1] == 0)
            return at;
    return std::string_view::npos;
}

// The offset of the area's last all-zero unit; npos when it has none. A text that starts at or before
// it ends inside the area, so each text need only be read up to its bound, never to its terminator.
std::size_t FindLastTerminator(std::string_view area)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(area.data());
    for (std::size_t unit = area.size() / 2; unit-- > 0;)
        if (bytes[2 * unit] == 0 && bytes[2 * unit + 1] == 0)
            return 2 * unit;
    return std::string_view::npos;
}

// The text that starts at `offset` (rounded down to a whole unit) in the text area, cut to
// kMaxTextUnits. An offset outside the area, or a text that runs to the end of the area without its
// terminator, gives an empty text. `lastTerminator` is the area's, from FindLastTerminator.
std::u16string TextAt(std::string_view area, std::uint32_t offset, std::size_t lastTerminator)
{
    const std::size_t start = offset & ~std::uint32_t{1};
    if (lastTerminator == std::string_view::npos || start > lastTerminator)
        return {};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(area.data());
    // A terminator within the bound ends the text; otherwise one lies further on, and the text has
    // at least one unit more than the bound, which tells KeptTextUnits that it is cut.
    const std::size_t end = FindTerminator(bytes, start, std::min(area.size(), start + kMaxTextBytes));
    const std::size_t units = end == std::string_view::npos ? kMaxTextUnits + 1 : (end - start) / 2;
    std::u16string text(units, u'\0');
    if constexpr (kHostIsLittleEndian) {
        std::memcpy(text.data(), bytes + start, 2 * units);
    } else {
        for (std::size_t u = 0; u < units; ++u)
            text[u] = static_cast<char16_t>(LoadU16(bytes + start + 2 * u));
    }
    text.resize(KeptTextUnits(text));
    return text;
}

// The sizes a file's header states, or nothing when they are more than any file can hold: over 100
// macros, or a text area larger than every record's text at its longest.
struct StatedSizes {
    std::uint16_t macroCount;
    std::uint64_t macroBytes;
    std::uint32_t textBytes;
    std::uint64_t Total() const { return kKeyAreaSize + macroBytes + textBytes; }
};

std::optional<StatedSizes> SizesOf(const std::uint8_t* keyArea)
{
    const ProfileFileHeader header
        = ReadFileHeader(std::span<const std::uint8_t, kFileHeaderSize>(keyArea, kFileHeaderSize));
    if (header.macroCount > model::kMaxMacros || header.textAreaSize > kMaxTextAreaBytes)
        return std::nullopt;
    return StatedSizes{header.macroCount, std::uint64_t{header.macroCount} * kMacroRecordBytes, header.textAreaSize};
}

void DecodeKeyArea(const std::uint8_t* keyArea, ProfileData& data)
{
    std::copy_n(keyArea, kFileHeaderSize, data.fileHeader.begin());
    std::copy_n(keyArea + kFileHeaderSize, kKeySectionHeaderSize, data.keySectionHeader.begin());
    const std::uint8_t* record = keyArea + kFileHeaderSize + kKeySectionHeaderSize;
    for (model::KeyRecord& r : data.records) {
        r = ReadKeyRecord(record);
        record += kKeyRecordBytes;
    }
    data.hasKeyArea = true;
}

void DecodeTexts(std::string_view area, ProfileData& data)
{
    for (auto& text : data.texts)
        text.reset();
    data.textBytes = 0;
    const std::size_t lastTerminator = FindLastTerminator(area);
    for (std::size_t r = 0; r < data.records.size(); ++r)
        if (HasText(data.records[r]))
            data.SetText(r, TextAt(area, data.records[r].value, lastTerminator));
}

bool DecodeInto(std::string_view bytes, ProfileData& data)
{
    if (bytes.size() < kKeyAreaSize)
        return false;
    const auto* file = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::optional<StatedSizes> sizes = SizesOf(file);
    if (!sizes || bytes.size() < sizes->Total())
        return false;
    DecodeKeyArea(file, data);
    data.macros.resize(sizes->macroCount);
    for (std::size_t m = 0; m < sizes->macroCount; ++m)
        ReadMacroRecord(file + kKeyAreaSize + m * kMacroRecordBytes, data.macros[m]);
    DecodeTexts(bytes.substr(kKeyAreaSize + sizes->macroBytes, sizes->textBytes), data);
    return true;
}

// Reads exactly `size` bytes; false at the end of the file or on an error.
bool ReadExactly(std::FILE* file, void* destination, std::size_t size)
{
    return std::fread(destination, 1, size, file) == size;
}

// Loading straight from the file: on a host with the file's byte order the macro records, most of
// the bytes, are read into place instead of through a copy of the whole file.
bool LoadInto(std::FILE* file, ProfileData& data)
{
    std::vector<std::uint8_t> keyArea(kKeyAreaSize);
    if (!ReadExactly(file, keyArea.data(), keyArea.size()))
        return false;
    const std::optional<StatedSizes> sizes = SizesOf(keyArea.data());
    if (!sizes)
        return false;
    DecodeKeyArea(keyArea.data(), data);
    data.macros.resize(sizes->macroCount);
    if constexpr (kHostIsLittleEndian) {
        if (!ReadExactly(file, data.macros.data(), sizes->macroBytes))
            return false;
        for (model::MacroRecord& macro : data.macros)
            KeepWithinRecord(macro);
    } else {
        std::vector<std::uint8_t> macros(sizes->macroBytes);
        if (!ReadExactly(file, macros.data(), macros.size()))
            return false;
        for (std::size_t m = 0; m < sizes->macroCount; ++m)
            ReadMacroRecord(macros.data() + m * kMacroRecordBytes, data.macros[m]);
    }
    // The text area is sized by the file, not by its header, so a lying header costs no memory.
    std::string area;
    area.resize(std::min<std::size_t>(sizes->textBytes, 1u << 20));
    std::size_t filled = 0;
    while (filled < sizes->textBytes) {
        if (filled == area.size())
            area.resize(std::min<std::size_t>(sizes->textBytes, area.size() * 2));
        const std::size_t count = std::fread(area.data() + filled, 1, area.size() - filled, file);
        if (count == 0)
            return false;
        filled += count;
    }
    DecodeTexts(area, data);
    return true;
}

void ResetToDefault(ProfileData& data)
{
    ClearProfileData(data);
    CreateDefaultProfileData(data);
}

}  // namespace

std::uint8_t FileHeaderChecksum(std::span<const std::uint8_t, kFileHeaderSize> header)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < offsetof(ProfileFileHeader, checksum); ++i)
        sum += header[i];
    return static_cast<std::uint8_t>(sum);
}

ProfileFileHeader ReadFileHeader(std::span<const std::uint8_t, kFileHeaderSize> bytes)
{
    ProfileFileHeader header{};
    const std::uint8_t* b = bytes.data();
    header.magic = LoadU16(b + offsetof(ProfileFileHeader, magic));
    header.headerLength = LoadU16(b + offsetof(ProfileFileHeader, headerLength));
    header.formatMajor = LoadU16(b + offsetof(ProfileFileHeader, formatMajor));
    header.formatMinor = LoadU16(b + offsetof(ProfileFileHeader, formatMinor));
    header.totalLength = LoadU32(b + offsetof(ProfileFileHeader, totalLength));
    header.recordCount = LoadU16(b + offsetof(ProfileFileHeader, recordCount));
    header.macroCount = LoadU16(b + offsetof(ProfileFileHeader, macroCount));
    header.textAreaSize = LoadU32(b + offsetof(ProfileFileHeader, textAreaSize));
    std::copy_n(b + offsetof(ProfileFileHeader, zero), sizeof header.zero, header.zero);
    header.flag = b[offsetof(ProfileFileHeader, flag)];
    header.checksum = b[offsetof(ProfileFileHeader, checksum)];
    return header;
}

void WriteFileHeader(std::span<std::uint8_t, kFileHeaderSize> header, std::uint16_t macroCount, std::uint32_t textBytes)
{
    std::uint8_t* b = header.data();
    std::fill(header.begin(), header.end(), std::uint8_t{0});
    StoreU16(b + offsetof(ProfileFileHeader, magic), kProfileFileMagic);
    StoreU16(b + offsetof(ProfileFileHeader, headerLength), kFileHeaderSize);
    StoreU16(b + offsetof(ProfileFileHeader, formatMajor), kFormatMajor);
    StoreU16(b + offsetof(ProfileFileHeader, formatMinor), kFormatMinor);
    StoreU32(b + offsetof(ProfileFileHeader, totalLength),
        static_cast<std::uint32_t>(kKeyAreaSize + kMacroRecordBytes * macroCount + textBytes));
    StoreU16(b + offsetof(ProfileFileHeader, recordCount), model::kRecordCount);
    StoreU16(b + offsetof(ProfileFileHeader, macroCount), macroCount);
    StoreU32(b + offsetof(ProfileFileHeader, textAreaSize), textBytes);
    b[offsetof(ProfileFileHeader, checksum)] = FileHeaderChecksum(header);
}

bool FileHeaderPassesChecks(std::span<const std::uint8_t, kFileHeaderSize> bytes)
{
    const ProfileFileHeader header = ReadFileHeader(bytes);
    // In 64 bits: a text area size near 4 GiB must not wrap around to a total that matches.
    const std::uint64_t expectedTotal
        = std::uint64_t{header.macroCount} * kMacroRecordBytes + header.textAreaSize + kKeyAreaSize;
    return header.magic == kProfileFileMagic && header.headerLength == kFileHeaderSize
        && header.formatMajor == kFormatMajor && header.formatMinor == kFormatMinor
        && header.totalLength >= kKeyAreaSize && header.recordCount == model::kRecordCount
        && header.macroCount <= model::kMaxMacros && header.textAreaSize <= kMaxTextAreaBytes && header.flag <= 1
        && header.totalLength == expectedTotal && header.checksum == FileHeaderChecksum(bytes);
}

std::array<std::uint8_t, kKeySectionHeaderSize> NewKeySectionHeader()
{
    std::array<std::uint8_t, kKeySectionHeaderSize> header{};
    std::uint8_t* b = header.data();
    b[0] = 'K';
    b[1] = 'H';
    StoreU16(b + offsetof(KeySectionHeader, headerLength), kKeySectionHeaderSize);
    StoreU32(
        b + offsetof(KeySectionHeader, sectionLength), kKeySectionHeaderSize + kKeyRecordBytes * model::kRecordCount);
    StoreU16(b + offsetof(KeySectionHeader, blockCount), model::kRecordBlocks);
    StoreU16(b + offsetof(KeySectionHeader, recordsPerBlock), model::kRecordsPerBlock);
    std::uint8_t* tag = b + offsetof(KeySectionHeader, deviceTag);
    StoreU16(tag, TOLVEX_VENDOR_ID);
    StoreU16(tag + 2, TOLVEX_PRODUCT_ID);
    const std::uint8_t rest[] = {0x4F, 0x1C, 0x0E, 0x00};
    std::copy(std::begin(rest), std::end(rest), tag + 4);
    return header;
}

void CreateDefaultProfileData(ProfileData& data)
{
    WriteFileHeader(data.fileHeader, 0, 0);
    data.keySectionHeader = NewKeySectionHeader();
    data.records.fill(model::KeyRecord{});
    for (int g = 0; g < static_cast<int>(model::kGKeyCount); ++g)
        for (int bank = 0; bank < 2; ++bank)
            data.Record(0, model::GRecord(g, bank)).aux = model::GCode(g, bank);
    data.hasKeyArea = true;
}

bool CreateDefaultProfileFile(const std::string& path)
{
    try {
        auto fresh = std::make_unique<ProfileData>();
        CreateDefaultProfileData(*fresh);
        const std::optional<std::string> bytes = EncodeProfileFile(*fresh);
        std::string error;
        return bytes && platform::WriteFileAtomically(path, *bytes, error, true, platform::NewFileAccess::Private);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void ClearProfileData(ProfileData& data)
{
    for (auto& text : data.texts)
        text.reset();
    data.textBytes = 0;
    data.macros.clear();
    data.hasKeyArea = false;
    data.fileHeader.fill(0);
    data.keySectionHeader.fill(0);
    data.records.fill(model::KeyRecord{});
}

std::string PackTexts(ProfileData& data)
{
    std::string area(data.textBytes, '\0');
    std::uint32_t offset = 0;
    for (std::size_t r = 0; r < data.records.size(); ++r) {
        const std::optional<std::u16string>& text = data.texts[r];
        if (!text || !HasText(data.records[r]))
            continue;
        const std::uint32_t length = TextByteLength(*text);
        if (std::uint64_t{offset} + length > data.textBytes)
            continue;
        auto* out = reinterpret_cast<std::uint8_t*>(area.data() + offset);
        if constexpr (kHostIsLittleEndian) {
            std::memcpy(out, text->data(), 2 * text->size());
        } else {
            for (std::size_t u = 0; u < text->size(); ++u)
                StoreU16(out + 2 * u, static_cast<std::uint16_t>((*text)[u]));
        }
        data.records[r].value = offset;
        offset += length;
    }
    return area;
}

std::optional<std::string> EncodeProfileFile(ProfileData& data)
{
    if (!data.hasKeyArea || data.macros.size() > model::kMaxMacros)
        return std::nullopt;
    try {
        WriteFileHeader(data.fileHeader, static_cast<std::uint16_t>(data.macros.size()), data.textBytes);
        const std::string area = PackTexts(data);
        std::string out(kKeyAreaSize, '\0');
        out.reserve(kKeyAreaSize + kMacroRecordBytes * data.macros.size() + area.size());
        auto* keyArea = reinterpret_cast<std::uint8_t*>(out.data());
        std::copy(data.fileHeader.begin(), data.fileHeader.end(), keyArea);
        std::copy(data.keySectionHeader.begin(), data.keySectionHeader.end(), keyArea + kFileHeaderSize);
        std::uint8_t* record = keyArea + kFileHeaderSize + kKeySectionHeaderSize;
        for (const model::KeyRecord& r : data.records) {
            WriteKeyRecord(record, r);
            record += kKeyRecordBytes;
        }
        for (const model::MacroRecord& macro : data.macros)
            AppendMacroRecord(out, macro);
        out += area;
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool DecodeProfileFile(std::string_view bytes, ProfileData& data)
{
    try {
        if (DecodeInto(bytes, data))
            return true;
        ResetToDefault(data);
    } catch (const std::bad_alloc&) {
        ResetToDefault(data);
    }
    return false;
}

ProfileFileProblem CheckProfileFileBytes(std::string_view bytes)
{
    if (bytes.size() < kKeyAreaSize)
        return ProfileFileProblem::TooShort;
    const std::span<const std::uint8_t, kFileHeaderSize> header(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), kFileHeaderSize);
    if (!FileHeaderPassesChecks(header))
        return ProfileFileProblem::WrongFormat;
    if (bytes.size() < ReadFileHeader(header).totalLength)
        return ProfileFileProblem::Truncated;
    return ProfileFileProblem::None;
}

int ValidateProfileFile(const std::string& path, model::UserMessages& messages)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return kProfileFileRejected;
    std::ifstream file(path, std::ios::binary);
    if (!file || !std::filesystem::is_regular_file(status))
        return kProfileFileUnopenable;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return kProfileFileUnopenable;
    if (size < kKeyAreaSize || size >= (std::uintmax_t{1} << 32))
        return kProfileFileRejected;
    // Every check lies in the header, so only the header is read.
    std::array<std::uint8_t, kFileHeaderSize> header{};
    if (!file.read(reinterpret_cast<char*>(header.data()), header.size()))
        return kProfileFileUnopenable;
    if (FileHeaderPassesChecks(header))
        return kProfileFileAccepted;
    const std::string_view format = kWrongFormatMessage;
    const std::size_t placeholder = format.find("%s");
    std::string message(format.substr(0, placeholder));
    message += path;
    message += format.substr(placeholder + 2);
    messages.ShowMessage(message);
    return kProfileFileRejected;
}

bool LoadProfileFile(const std::string& path, ProfileData& data)
{
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::setvbuf(file, nullptr, _IONBF, 0);  // large reads go straight to their destination
        bool loaded = false;
        try {
            loaded = LoadInto(file, data);
        } catch (const std::bad_alloc&) {
        }
        std::fclose(file);
        if (loaded)
            return true;
    }
    ResetToDefault(data);
    return false;
}

bool SaveProfileFile(const std::string& path, ProfileData& data)
{
    std::lock_guard lock(data.lock);
    const std::optional<std::string> bytes = EncodeProfileFile(data);
    std::string error;
    // Macros and texts can hold what the user typed: a new file is for the user's eyes only, and an
    // existing one keeps the mode it has.
    return bytes && platform::WriteFileAtomically(path, *bytes, error, true, platform::NewFileAccess::Private);
}

}  // namespace tavrin::profiles
