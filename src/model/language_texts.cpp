#include "model/language_texts.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>

#include "platform/private_profile.h"

namespace tavrin::model {
namespace {

// System language → language of the texts, first match wins.
constexpr std::pair<std::uint16_t, std::uint16_t> kRegionalMapping[] = {
    {3076, 2052},
    {4100, 1028},
    {2058, 1034},
    {3082, 1034},
    {4106, 1034},
    {5130, 1034},
    {6154, 1034},
    {7178, 1034},
    {8202, 1034},
    {9226, 1034},
    {10250, 1034},
    {11274, 1034},
    {12298, 1034},
    {13322, 1034},
    {14346, 1034},
    {15370, 1034},
    {16394, 1034},
    {17418, 1034},
    {18442, 1034},
    {19466, 1034},
    {20490, 1034},
    {2060, 1036},
    {3084, 1036},
    {4108, 1036},
    {5132, 1036},
    {2064, 1040},
    {2070, 1046},
    {2067, 1043},
    {2077, 1053},
    {2057, 1033},
    {3081, 1033},
    {4105, 1033},
    {5129, 1033},
    {6153, 1033},
    {7177, 1033},
    {8201, 1033},
    {9225, 1033},
    {10249, 1033},
    {11273, 1033},
    {2055, 1031},
    {3079, 1031},
    {4103, 1031},
    {5127, 1031},
};
static_assert(std::size(kRegionalMapping) == 43);

// A text that cannot be there: tells a missing entry from an empty one.
constexpr const char* kAbsent = "\x01\x02";

}  // namespace

std::uint16_t ChooseLanguage(std::uint16_t systemLanguage)
{
    std::uint16_t id = systemLanguage;
    for (const auto& [from, to] : kRegionalMapping) {
        if (from == id) {
            id = to;
            break;
        }
    }
    const auto supported = kSupportedLanguages.begin() + kSupportedLanguageCount;
    return std::find(kSupportedLanguages.begin(), supported, id) != supported ? id : kDefaultLanguage;
}

int LanguageIndexOf(std::uint32_t id)
{
    for (int index = 0; index < kSupportedLanguageCount; ++index)
        if (kSupportedLanguages[static_cast<std::size_t>(index)] == id)
            return index;
    return 0;
}

std::string LanguageFilePath(const std::string& folder, std::uint32_t id)
{
    char name[32];
    std::snprintf(name, sizeof name, "Lang%04X.ini", static_cast<unsigned>(id & 0xFFFF));
    return folder + name;
}

std::uint32_t LanguageTexts::LanguageId()
{
    const std::uint32_t stored = settings_->StoredLanguageId();
    if (stored != 0)
        return stored;
    const std::uint16_t chosen = ChooseLanguage(systemLanguage_);
    settings_->StoreLanguageId(chosen);
    return chosen;
}

std::string LanguageTexts::Text(std::string_view key, int languageIndex) const
{
    if (languageIndex < 0 || languageIndex >= static_cast<int>(kSupportedLanguages.size()))
        languageIndex = 0;
    const std::string path = LanguageFilePath(folder_, kSupportedLanguages[static_cast<std::size_t>(languageIndex)]);
    std::string text = platform::GetPrivateProfileString("TEXT", key, kAbsent, path);
    return text == kAbsent ? std::string(kMissingText) : text;
}

std::string LanguageTexts::SkinLanguageSection() const
{
    const std::string selector
        = platform::GetPrivateProfileString("LANGUAGE", "language", " ", folder_ + "Skins/language.ini");
    return selector == "1" ? "ENGINSH" : "CHINESE";
}

std::optional<std::string> FormatNumber(std::string_view format, unsigned value)
{
    std::string result;
    int conversions = 0;
    std::size_t position = 0;
    while (position < format.size()) {
        const char c = format[position++];
        if (c != '%') {
            result += c;
            continue;
        }
        if (position < format.size() && format[position] == '%') {
            result += '%';
            ++position;
            continue;
        }
        bool leftAlign = false, zeroPad = false, plusSign = false, spaceSign = false, alternate = false;
        for (; position < format.size(); ++position) {
            const char flag = format[position];
            if (flag == '-')
                leftAlign = true;
            else if (flag == '0')
                zeroPad = true;
            else if (flag == '+')
                plusSign = true;
            else if (flag == ' ')
                spaceSign = true;
            else if (flag == '#')
                alternate = true;
            else
                break;
        }
        std::size_t width = 0, widthDigits = 0;
        for (; position < format.size() && format[position] >= '0' && format[position] <= '9'; ++position) {
            if (++widthDigits > 3)
                return std::nullopt;
            width = width * 10 + static_cast<std::size_t>(format[position] - '0');
        }
        if (position >= format.size() || ++conversions > 1)
            return std::nullopt;
        const char conversion = format[position++];
        int base = 10;
        std::string_view prefix;  // a literal: no string for the optimiser to misjudge
        if (conversion == 'd') {
            prefix = plusSign ? "+" : spaceSign ? " " : "";
        } else if (conversion == 'x' || conversion == 'X') {
            base = 16;
            if (alternate && value != 0)
                prefix = conversion == 'x' ? "0x" : "0X";
        } else if (conversion != 'u') {
            return std::nullopt;
        }
        char digits[16];
        const auto end = std::to_chars(std::begin(digits), std::end(digits), value, base).ptr;
        std::string number(digits, end);
        if (conversion == 'X')
            for (char& digit : number)
                digit = static_cast<char>(digit >= 'a' && digit <= 'f' ? digit - 'a' + 'A' : digit);
        const std::size_t length = prefix.size() + number.size();
        const std::size_t padding = width > length ? width - length : 0;
        if (!leftAlign && !zeroPad)
            result.append(padding, ' ');
        result += prefix;
        if (zeroPad && !leftAlign)
            result.append(padding, '0');
        result += number;
        if (leftAlign)
            result.append(padding, ' ');
    }
    if (conversions != 1)
        return std::nullopt;
    return result;
}

}  // namespace tavrin::model
