#include "profiles/profile_data.h"

namespace tavrin::profiles {

void ProfileData::SetText(std::size_t recordNumber, std::optional<std::u16string> text)
{
    if (recordNumber >= texts.size())
        return;
    if (texts[recordNumber])
        textBytes -= TextByteLength(*texts[recordNumber]);
    texts[recordNumber] = std::move(text);
    if (texts[recordNumber])
        textBytes += TextByteLength(*texts[recordNumber]);
}

}  // namespace tavrin::profiles
