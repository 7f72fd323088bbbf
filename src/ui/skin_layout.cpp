#include "ui/skin_layout.h"

#include <cstdio>

#include "platform/private_profile.h"

namespace tavrin::ui {
namespace {

bool IsScanfSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One "%d": blanks, an optional sign, at least one digit. False when there is no number or it does
// not fit the coordinate range (the text is then garbage, not a shorter value).
enum class NumberRead { Read, Missing, OutOfRange };

NumberRead ReadNumber(std::string_view& text, int& number)
{
    std::size_t at = 0;
    while (at < text.size() && IsScanfSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    const std::size_t digits = at;
    long long value = 0;
    bool tooLarge = false;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        if (value <= kCoordinateLimit)
            value = value * 10 + (text[at] - '0');
        else
            tooLarge = true;
        ++at;
    }
    if (at == digits)
        return NumberRead::Missing;
    if (tooLarge || value > kCoordinateLimit)
        return NumberRead::OutOfRange;
    number = static_cast<int>(negative ? -value : value);
    text.remove_prefix(at);
    return NumberRead::Read;
}

}  // namespace

SkinRect ParseSkinRect(std::string_view text)
{
    SkinRect rect;
    int* const fields[] = {&rect.x, &rect.y, &rect.width, &rect.height};
    for (std::size_t i = 0; i < 4; ++i) {
        if (i > 0) {
            if (text.empty() || text.front() != ',')
                break;
            text.remove_prefix(1);
        }
        const NumberRead read = ReadNumber(text, *fields[i]);
        if (read == NumberRead::OutOfRange)
            return SkinRect{};
        if (read == NumberRead::Missing)
            break;
    }
    if (rect.width < 0 || rect.height < 0)
        return SkinRect{};
    return rect;
}

Placement PlaceByRule(PlacingRule rule, std::string_view value, std::string_view offsetValue)
{
    const SkinRect rect = ParseSkinRect(value);
    Placement placement{rect.x, rect.y, true, rect.width, rect.height};
    switch (rule) {
    case PlacingRule::ImageButton:
        placement.hasPictureOffset = true;
        placement.offsetX = rect.x;
        placement.offsetY = rect.y;
        placement.disable = rect.x == 1 && rect.y == 1;
        break;
    case PlacingRule::Plain:
        break;
    case PlacingRule::MoveOnly:
        placement.resize = false;
        break;
    case PlacingRule::TwoKeys: {
        const SkinRect offset = ParseSkinRect(offsetValue);
        placement.hasPictureOffset = true;
        placement.offsetX = offset.x;
        placement.offsetY = offset.y;
        placement.disable = rect.x == 1 && rect.y == 1;
        break;
    }
    }
    return placement;
}

std::string ReadPlacementValue(const std::string& file, std::string_view section, std::string_view key)
{
    return platform::GetPrivateProfileString(section, key, kMissingPlacement, file);
}

ScreenPictures ReadScreenPictures(const std::string& file)
{
    ScreenPictures pictures;
    pictures.main = platform::GetPrivateProfileString(kScreenSection, "Main", "", file);
    pictures.mask = platform::GetPrivateProfileString(kScreenSection, "Mask", pictures.main, file);
    return pictures;
}

std::string ReadSkinLink(const std::string& file, std::string_view fallback)
{
    return platform::GetPrivateProfileString(kScreenSection, "Link", fallback, file);
}

std::string KeyButtonSkinKey(model::KeyIndex index)
{
    char key[16];
    std::snprintf(key, sizeof key, "KEY_%03X", static_cast<unsigned>(index));
    return key;
}

std::string GButtonSkinKey(int number)
{
    return "FUNC_G" + std::to_string(number);
}

std::string ArrowOffsetKey(ArrowSide side, bool up, int phase)
{
    std::string key = up ? "UP_ARROW_" : "DOWN_ARROW_";
    key += side == ArrowSide::Left ? "LEFT" : "RIGHT";
    return key + std::to_string(phase);
}

}  // namespace tavrin::ui
