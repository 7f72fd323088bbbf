// The profile file: the bytes of the working file and of the "*.tvn" backups, and how the profile
// data is written to and read from them.
//
//   0      file header (32 bytes, below)      64     2048 key records of 16 bytes
//   32     key section header (32 bytes)      32832  the macro records, 16512 bytes each
//   32832 + 16512 × count                     the text area: NUL-terminated UTF-16 texts
//
// Everything is little-endian. Files are untrusted: reading stays within the file's bytes whatever
// its header says, and every write replaces the file whole or not at all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/user_messages.h"
#include "profiles/profile_data.h"

namespace tavrin::profiles {

struct ProfileFileHeader {
    std::uint16_t magic;  // 0x4446
    std::uint16_t headerLength;
    std::uint16_t formatMajor;
    std::uint16_t formatMinor;
    std::uint32_t totalLength;
    std::uint16_t recordCount;
    std::uint16_t macroCount;
    std::uint32_t textAreaSize;
    std::uint8_t zero[10];
    std::uint8_t flag;      // written as 0; 0 and 1 are accepted
    std::uint8_t checksum;  // sum of bytes 0-30, modulo 256
};
static_assert(sizeof(ProfileFileHeader) == kFileHeaderSize);
static_assert(offsetof(ProfileFileHeader, headerLength) == 2);
static_assert(offsetof(ProfileFileHeader, formatMajor) == 4);
static_assert(offsetof(ProfileFileHeader, formatMinor) == 6);
static_assert(offsetof(ProfileFileHeader, totalLength) == 8);
static_assert(offsetof(ProfileFileHeader, recordCount) == 12);
static_assert(offsetof(ProfileFileHeader, macroCount) == 14);
static_assert(offsetof(ProfileFileHeader, textAreaSize) == 16);
static_assert(offsetof(ProfileFileHeader, zero) == 20);
static_assert(offsetof(ProfileFileHeader, flag) == 30);
static_assert(offsetof(ProfileFileHeader, checksum) == 31);

struct KeySectionHeader {
    std::uint8_t magic[2];  // 'K' 'H'
    std::uint16_t headerLength;
    std::uint32_t sectionLength;  // the header and all key records
    std::uint16_t blockCount;
    std::uint16_t recordsPerBlock;
    std::uint32_t zero;
    std::uint8_t deviceTag[8];  // vendor and product id, then 4F 1C 0E 00
    std::uint8_t zero2[8];
};
static_assert(sizeof(KeySectionHeader) == kKeySectionHeaderSize);
static_assert(offsetof(KeySectionHeader, headerLength) == 2);
static_assert(offsetof(KeySectionHeader, sectionLength) == 4);
static_assert(offsetof(KeySectionHeader, blockCount) == 8);
static_assert(offsetof(KeySectionHeader, recordsPerBlock) == 10);
static_assert(offsetof(KeySectionHeader, zero) == 12);
static_assert(offsetof(KeySectionHeader, deviceTag) == 16);
static_assert(offsetof(KeySectionHeader, zero2) == 24);

inline constexpr std::uint16_t kProfileFileMagic = 0x4446;
inline constexpr std::size_t kKeyRecordBytes = 16;
inline constexpr std::size_t kMacroRecordBytes = sizeof(model::MacroRecord);
static_assert(kMacroRecordBytes == 16512);

// Results of ValidateProfileFile.
inline constexpr int kProfileFileAccepted = 1;
inline constexpr int kProfileFileRejected = 0;
inline constexpr int kProfileFileUnopenable = -2;
inline constexpr int kProfileFileNoMemory = -3;

// Shown, with the path in place of %s, when a file fails the format checks.
inline constexpr const char* kWrongFormatMessage = "wrong file format, revert to the default values: \n  %s";

// The longest file a header that passes the checks can state: the key area, 100 macros and a text
// area of every record's text at its longest (kMaxTextAreaBytes).
inline constexpr std::size_t kLargestProfileFile
    = kKeyAreaSize + model::kMaxMacros * kMacroRecordBytes + kMaxTextAreaBytes;
static_assert(kLargestProfileFile <= std::numeric_limits<std::uint32_t>::max(), "the total length is 32 bits");
// Files are read whole, up to the longest a valid header can state.
inline constexpr std::size_t kProfileFileReadLimit = kLargestProfileFile;

std::uint8_t FileHeaderChecksum(std::span<const std::uint8_t, kFileHeaderSize> header);
ProfileFileHeader ReadFileHeader(std::span<const std::uint8_t, kFileHeaderSize> bytes);
// Fills the header for a file with that many macros and text bytes, flag 0 and its checksum.
void WriteFileHeader(
    std::span<std::uint8_t, kFileHeaderSize> header, std::uint16_t macroCount, std::uint32_t textBytes);
// The checks a file's first 32 bytes must pass, among them a text area of at most kMaxTextAreaBytes.
bool FileHeaderPassesChecks(std::span<const std::uint8_t, kFileHeaderSize> header);

std::array<std::uint8_t, kKeySectionHeaderSize> NewKeySectionHeader();

// A fresh key area in `data`: headers for an empty file, all records zero, and the G codes in the
// G-key records of block 0. Macros and texts are left as they are.
void CreateDefaultProfileData(ProfileData& data);
// Writes a fresh key area (32832 bytes) to `path`.
bool CreateDefaultProfileFile(const std::string& path);
// Empties the texts and the macro list and drops the key area.
void ClearProfileData(ProfileData& data);

// Lays the texts of the records of kinds 3 and 6 out one after another and points each record's
// value at its text. The area is textBytes long; bytes no text claims stay zero.
std::string PackTexts(ProfileData& data);

// The whole file for `data`, with its header rewritten; nothing when the data has no key area or
// memory is lacking. The caller holds the data's lock.
std::optional<std::string> EncodeProfileFile(ProfileData& data);
// Replaces the key area, macros and texts of `data` with the file's; a text longer than
// kMaxTextUnits is cut. A file shorter than its header states, with more than 100 macros or with a
// text area larger than kMaxTextAreaBytes, leaves `data` with default data and returns false.
bool DecodeProfileFile(std::string_view bytes, ProfileData& data);

// What is wrong with a file's bytes, for tools that explain it: the same checks as validation,
// plus whether the file holds everything its header states.
enum class ProfileFileProblem { None, TooShort, WrongFormat, Truncated };
ProfileFileProblem CheckProfileFileBytes(std::string_view bytes);

// 1, 0 (missing, too short or failing a check — only the last shows the format message), -2 when
// it cannot be opened, -3 when memory is lacking.
int ValidateProfileFile(const std::string& path, model::UserMessages& messages);
// As DecodeProfileFile, reading the file as it goes; a file that cannot be read also leaves default data.
bool LoadProfileFile(const std::string& path, ProfileData& data);
bool SaveProfileFile(const std::string& path, ProfileData& data);

}  // namespace tavrin::profiles
