#include "lighting/user_colour_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/private_profile.h"

namespace tavrin::lighting {
namespace {

constexpr const char* kSelectedSection = "PRESENTMODE";
constexpr const char* kNamesSection = "MODENAME";
constexpr const char* kDefaultEntry = "255,0,0,1";
constexpr std::size_t kNumberBuffer = platform::kProfileBufferUnits;

std::string LayoutSection(int layout)
{
    return "Mode" + std::to_string(layout);
}

// Up to `wanted` decimal numbers separated by commas (blanks allowed around them).
template<std::size_t N> std::optional<std::array<long, N>> ParseNumbers(std::string_view text)
{
    std::array<long, N> numbers{};
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (std::size_t i = 0; i < N; ++i) {
        while (at < end && (*at == ' ' || *at == '\t'))
            ++at;
        if (at < end && *at == '+')
            ++at;
        const auto [next, error] = std::from_chars(at, end, numbers[i]);
        if (error != std::errc{})
            return std::nullopt;
        at = next;
        while (at < end && (*at == ' ' || *at == '\t'))
            ++at;
        if (i + 1 < N) {
            if (at == end || *at != ',')
                return std::nullopt;
            ++at;
        }
    }
    return numbers;
}

std::uint8_t ColourByte(long value)
{
    return static_cast<std::uint8_t>(std::clamp(value, 0L, 255L));
}

std::string ReadText(const std::string& path)
{
    return platform::ReadRegularFile(path, platform::kProfileFileLimit).value_or(std::string());
}

// The text to change before a write: nothing when the file is there but cannot be read, so that
// a write never replaces what it could not keep.
std::optional<std::string> TextToChange(const std::string& path)
{
    std::optional<std::string> text = platform::ReadRegularFile(path, platform::kProfileFileLimit);
    std::error_code error;
    if (!text && !std::filesystem::exists(path, error) && !error)
        text.emplace();
    return text;
}

std::string Value(const std::string& text, std::string_view section, std::string_view key, std::string_view fallback)
{
    const std::optional<std::string> value = platform::FindProfileValue(text, section, key);
    return platform::CutToUtf16Units(value ? *value : std::string(fallback), kNumberBuffer);
}

}  // namespace

std::optional<Colour> ParseColour(std::string_view text)
{
    const auto numbers = ParseNumbers<3>(text);
    if (!numbers)
        return std::nullopt;
    return RgbColour(ColourByte((*numbers)[0]), ColourByte((*numbers)[1]), ColourByte((*numbers)[2]));
}

std::optional<KeyEntry> ParseKeyEntry(std::string_view text, int led)
{
    const auto numbers = ParseNumbers<4>(text);
    if (!numbers)
        return std::nullopt;
    return KeyEntry{led, RgbColour(ColourByte((*numbers)[0]), ColourByte((*numbers)[1]), ColourByte((*numbers)[2])),
        (*numbers)[3] != 0};
}

std::string FormatColour(Colour colour)
{
    return std::to_string(RedOf(colour)) + "," + std::to_string(GreenOf(colour)) + "," + std::to_string(BlueOf(colour));
}

int UserColourFile::SelectedLayout(int profile) const
{
    return platform::GetPrivateProfileInt(kSelectedSection, "mode", 0, PathOf(profile));
}

bool UserColourFile::WriteSelectedLayout(int profile, int layout) const
{
    return platform::WritePrivateProfileString(kSelectedSection, "mode", std::to_string(layout), PathOf(profile));
}

std::string UserColourFile::LayoutName(int profile, int layout) const
{
    return platform::GetPrivateProfileString(kNamesSection, std::to_string(layout), "0", PathOf(profile));
}

bool UserColourFile::WriteLayoutName(int profile, int layout, std::string_view name) const
{
    return platform::WritePrivateProfileString(kNamesSection, std::to_string(layout), name, PathOf(profile));
}

LayoutColours UserColourFile::ReadLayoutColours(int profile, int layout) const
{
    const std::string text = ReadText(PathOf(profile));
    const std::string section = LayoutSection(layout);
    LayoutColours colours;
    long brush = 0;
    const std::string tool = Value(text, section, "tool", "0");
    std::from_chars(tool.data(), tool.data() + tool.size(), brush);
    colours.brush = brush == 1 ? Brush::Base : Brush::Paint;
    colours.base = ParseColour(Value(text, section, "jcolor", "0,0,0")).value_or(0);
    colours.paint = ParseColour(Value(text, section, "color", "0,0,0")).value_or(0);
    return colours;
}

bool UserColourFile::WriteLayoutColours(int profile, int layout, const LayoutColours& colours) const
{
    const std::string path = PathOf(profile);
    const std::string section = LayoutSection(layout);
    std::optional<std::string> text = TextToChange(path);
    if (!text)
        return false;
    *text = platform::SetProfileValue(*text, section, "tool", colours.brush == Brush::Base ? "1" : "0");
    *text = platform::SetProfileValue(*text, section, "jcolor", FormatColour(colours.base));
    *text = platform::SetProfileValue(*text, section, "color", FormatColour(colours.paint));
    std::string error;
    return platform::WriteFileAtomically(path, *text, error);
}

KeyEntry UserColourFile::ReadKeyEntry(int profile, int layout, int led) const
{
    const std::string text = ReadText(PathOf(profile));
    const std::string value = Value(text, LayoutSection(layout), std::to_string(led), kDefaultEntry);
    return ParseKeyEntry(value, led).value_or(KeyEntry{led, RgbColour(255, 0, 0), true});
}

std::vector<KeyEntry> UserColourFile::ReadLayoutEntries(int profile, int layout) const
{
    const std::string text = ReadText(PathOf(profile));
    const std::string section = LayoutSection(layout);
    std::vector<int> leds;
    for (const LitButton& button : LitButtons())
        if (PaintableLedOf(button.controlId))
            leds.push_back(button.led);
    std::vector<KeyEntry> entries;
    entries.reserve(leds.size());
    for (int led : leds) {
        const std::string value = Value(text, section, std::to_string(led), kDefaultEntry);
        entries.push_back(ParseKeyEntry(value, led).value_or(KeyEntry{led, RgbColour(255, 0, 0), true}));
    }
    return entries;
}

bool UserColourFile::WriteKeyEntries(int profile, int layout, std::span<const KeyEntry> entries) const
{
    if (entries.empty())
        return true;
    const std::string path = PathOf(profile);
    const std::string section = LayoutSection(layout);
    std::optional<std::string> text = TextToChange(path);
    if (!text)
        return false;
    for (const KeyEntry& entry : entries)
        *text = platform::SetProfileValue(
            *text, section, std::to_string(entry.led), FormatColour(entry.colour) + (entry.mark ? ",1" : ",0"));
    std::string error;
    return platform::WriteFileAtomically(path, *text, error);
}

std::string UserColourPrefix(const std::string& documentsFolder)
{
    return documentsFolder + "/Tavrin_R2T/UserDengColor_";
}

std::string PanelFile(const std::string& documentsFolder)
{
    return documentsFolder + "/Tavrin_R2T/wskb.ini";
}

bool ReadPanelOpen(const std::string& path)
{
    return platform::GetPrivateProfileInt("KEYCOLOR", "DengCheck", 0, path) == 1;
}

bool WritePanelOpen(const std::string& path, bool open)
{
    return platform::WritePrivateProfileString("KEYCOLOR", "DengCheck", open ? "1" : "0", path);
}

}  // namespace tavrin::lighting
