#include "profiles/profile_data.h"

#include <algorithm>

namespace tavrin::profiles {

namespace {

bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

std::size_t KeptTextUnits(std::u16string_view text)
{
    std::size_t length = std::min(text.size(), kMaxTextUnits);
    if (length > 0 && length < text.size() && IsHighSurrogate(text[length - 1]))
        --length;
    return length;
}

void ProfileData::SetText(std::size_t recordNumber, std::optional<std::u16string> text)
{
    if (recordNumber >= texts.size())
        return;
    if (text && KeptTextUnits(*text) < text->size()) {
        text->resize(KeptTextUnits(*text));
        text->shrink_to_fit();  // the cut text gives back the memory of the rest
    }
    // Summed in 64 bits; with every text bounded the total stays within kMaxTextAreaBytes.
    std::uint64_t total = textBytes;
    if (texts[recordNumber])
        total -= TextByteLength(*texts[recordNumber]);
    texts[recordNumber] = std::move(text);
    if (texts[recordNumber])
        total += TextByteLength(*texts[recordNumber]);
    textBytes = static_cast<std::uint32_t>(total);
}

}  // namespace tavrin::profiles
