// The language the texts are shown in, and the texts themselves: one file "Lang%04X.ini" per
// language beside the executable, section "TEXT", one entry per text key.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin::model {

// Language index → language identifier. The seventh identifier is reachable by index 6 only.
inline constexpr std::array<std::uint16_t, 7> kSupportedLanguages = {1033, 1036, 1034, 1046, 1043, 2052, 3076};
inline constexpr int kSupportedLanguageCount = 6;
inline constexpr std::uint16_t kDefaultLanguage = 1033;
inline constexpr const char* kLanguageValueName = "dwLanguageId";
inline constexpr const char* kMissingText = "#Error";
// Each language's name in itself, by language index, for choosing one.
inline constexpr std::array<const char*, kSupportedLanguageCount> kLanguageOwnNames
    = {"English", "Français", "Español", "Português (Brasil)", "Nederlands", "简体中文"};

// The identifier that a system language stands for: the regional mapping, then 1033 for any
// language the program does not ship.
std::uint16_t ChooseLanguage(std::uint16_t systemLanguage);
// The position of `id` among the six languages; 0 when it is not one of them.
int LanguageIndexOf(std::uint32_t id);
// "Lang%04X.ini" in `folder` (which ends with a separator).
std::string LanguageFilePath(const std::string& folder, std::uint32_t id);

// Where the chosen language is kept between runs (in the program, the settings key).
class LanguageIdStore {
public:
    virtual ~LanguageIdStore() = default;
    // The stored identifier, 0 when none is stored yet.
    virtual std::uint32_t StoredLanguageId() = 0;
    virtual void StoreLanguageId(std::uint32_t id) = 0;
};

class LanguageTexts {
public:
    // `folder` is the executable's folder with a trailing separator; `systemLanguage` the user's
    // language as a Windows identifier.
    LanguageTexts(std::string folder, LanguageIdStore& settings, std::uint16_t systemLanguage)
        : folder_(std::move(folder))
        , settings_(&settings)
        , systemLanguage_(systemLanguage)
    {
    }

    // The stored language; on the first run (stored 0) the one chosen from the system language,
    // which is then stored.
    std::uint32_t LanguageId();
    int LanguageIndex() { return LanguageIndexOf(LanguageId()); }

    // The entry of `key` in section "TEXT" of the language at `languageIndex` (7 or more, or
    // negative, counts as 0), at most 259 UTF-16 units; "#Error" when the file, section or key
    // is missing, an empty text when the entry is empty.
    std::string Text(std::string_view key, int languageIndex) const;
    std::string Text(std::string_view key) { return Text(key, LanguageIndex()); }

    // "ENGINSH" when key "language" of section "LANGUAGE" in Skins/language.ini is "1", else
    // "CHINESE".
    std::string SkinLanguageSection() const;

    const std::string& Folder() const { return folder_; }
    // Makes the language at `languageIndex` (0–5) the stored choice.
    void ChooseLanguageIndex(int languageIndex)
    {
        if (languageIndex >= 0 && languageIndex < kSupportedLanguageCount)
            settings_->StoreLanguageId(kSupportedLanguages[static_cast<std::size_t>(languageIndex)]);
    }

private:
    std::string folder_;
    LanguageIdStore* settings_;
    std::uint16_t systemLanguage_;
};

// A language text with one number put in. A language file is untrusted input, so its format is
// never handed to printf: only a format with exactly one integer conversion (%d %u %x %X, optional
// flags and a width of up to three digits, "%%" as a literal) is applied; anything else gives
// nothing.
std::optional<std::string> FormatNumber(std::string_view format, unsigned value);

}  // namespace tavrin::model
