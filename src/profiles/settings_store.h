// The program's small persistent settings: one typed key for the language, the framework's
// per-user settings ("PROFILES" and friends), and the INI helper of the skinned windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/language_texts.h"

namespace tavrin::profiles {

// A key of numbers and strings kept in a file, with the rules of the registry key it stands for:
// a value of the wrong type reads as missing. The file is created on the first write.
class SettingsKey final : public model::LanguageIdStore {
public:
    // Makes sure the key's folder exists; false leaves the key unusable, and reads then give their
    // defaults without writing.
    bool Open(const std::string& path);
    bool IsOpen() const { return !path_.empty(); }

    // A missing value, or one that is not a 32-bit number, gives `fallback`, which is also
    // written to the key as a number.
    std::uint32_t ReadNumber(std::string_view name, std::uint32_t fallback);
    bool WriteNumber(std::string_view name, std::uint32_t value);
    bool WriteString(std::string_view name, std::string_view value);

    // The language is the number "dwLanguageId" (0 when missing, which is then written).
    std::uint32_t StoredLanguageId() override { return ReadNumber(model::kLanguageValueName, 0); }
    void StoreLanguageId(std::uint32_t id) override { WriteNumber(model::kLanguageValueName, id); }

private:
    std::string path_;
};

// The framework's per-user settings of a company and application, as strings in sections.
class FrameworkSettings {
public:
    FrameworkSettings() = default;
    explicit FrameworkSettings(std::string path)
        : path_(std::move(path))
    {
    }

    std::string GetSetting(std::string_view section, std::string_view entry, std::string_view fallback) const;
    bool WriteSetting(std::string_view section, std::string_view entry, std::string_view text);

    // The entry read as a decimal number, without clamping ("5" reads as 5).
    int GetSettingNumber(std::string_view section, std::string_view entry, int fallback) const;
    // Stores "1" for 1 and "0" for anything else.
    bool WriteSettingFlag(std::string_view section, std::string_view entry, int value);

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

inline constexpr const char* kProfilesSection = "PROFILES";
inline constexpr const char* kFlipEntry = "Flip";

// The INI helper every skinned window holds: one file path (at most 259 characters).
class CIniFile {
public:
    static constexpr std::size_t kPathLimit = 259;
    static constexpr std::size_t kValueLimit = 2047;

    void SetPath(std::string_view path);
    const std::string& Path() const { return path_; }

    // Up to 2047 characters; nothing when the entry is empty, exactly as when it is missing.
    std::optional<std::string> GetString(
        std::string_view section, std::string_view key, std::string_view fallback = "") const;
    bool SetString(std::string_view section, std::string_view key, std::string_view text);

private:
    std::string path_;
};

}  // namespace tavrin::profiles
