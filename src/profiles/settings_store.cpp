#include "profiles/settings_store.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

#include "platform/private_profile.h"

namespace tavrin::profiles {
namespace {

// The key file holds one section; values carry their type as a prefix, as in a registry export.
constexpr const char* kKeySection = "Values";
constexpr std::string_view kNumberPrefix = "dword:";
constexpr std::string_view kStringPrefix = "sz:";

std::optional<std::uint32_t> ParseNumberValue(std::string_view text)
{
    if (text.substr(0, kNumberPrefix.size()) != kNumberPrefix)
        return std::nullopt;
    text.remove_prefix(kNumberPrefix.size());
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 8 || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

bool SettingsKey::Open(const std::string& path)
{
    std::error_code error;
    const auto folder = std::filesystem::path(path).parent_path();
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) {
        path_.clear();
        return false;
    }
    path_ = path;
    return true;
}

std::uint32_t SettingsKey::ReadNumber(std::string_view name, std::uint32_t fallback)
{
    if (!IsOpen())
        return fallback;
    const std::string stored = platform::GetPrivateProfileString(kKeySection, name, "", path_, 64);
    if (const auto number = ParseNumberValue(stored))
        return *number;
    WriteNumber(name, fallback);
    return fallback;
}

bool SettingsKey::WriteNumber(std::string_view name, std::uint32_t value)
{
    if (!IsOpen())
        return false;
    char text[32];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(value));
    return platform::WritePrivateProfileString(kKeySection, name, std::string_view(text), path_);
}

bool SettingsKey::WriteString(std::string_view name, std::string_view value)
{
    if (!IsOpen())
        return false;
    return platform::WritePrivateProfileString(
        kKeySection, name, std::string(kStringPrefix) + std::string(value), path_);
}

std::string FrameworkSettings::GetSetting(
    std::string_view section, std::string_view entry, std::string_view fallback) const
{
    if (path_.empty())
        return std::string(fallback);
    return platform::GetPrivateProfileString(section, entry, fallback, path_, 4096);
}

bool FrameworkSettings::WriteSetting(std::string_view section, std::string_view entry, std::string_view text)
{
    return !path_.empty() && platform::WritePrivateProfileString(section, entry, text, path_);
}

int FrameworkSettings::GetSettingNumber(std::string_view section, std::string_view entry, int fallback) const
{
    if (path_.empty())
        return fallback;
    return platform::GetPrivateProfileInt(section, entry, fallback, path_);
}

bool FrameworkSettings::WriteSettingFlag(std::string_view section, std::string_view entry, int value)
{
    return WriteSetting(section, entry, value == 1 ? "1" : "0");
}

void CIniFile::SetPath(std::string_view path)
{
    path_ = platform::CutToUtf16Units(path, kPathLimit);
}

std::optional<std::string> CIniFile::GetString(
    std::string_view section, std::string_view key, std::string_view fallback) const
{
    std::string value = platform::GetPrivateProfileString(section, key, fallback, path_, kValueLimit + 1);
    if (value.empty())
        return std::nullopt;
    return value;
}

bool CIniFile::SetString(std::string_view section, std::string_view key, std::string_view text)
{
    return platform::WritePrivateProfileString(section, key, text, path_);
}

}  // namespace tavrin::profiles
