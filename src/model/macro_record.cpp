#include "model/macro_record.h"

#include <algorithm>
#include <cstring>

namespace tavrin::model {

MacroRecord EmptyMacroRecord()
{
    MacroRecord record;
    std::memset(&record, 0, sizeof record);
    return record;
}

std::u16string MacroName(const MacroRecord& record)
{
    const char16_t* end = std::find(record.name, record.name + kMacroNameUnits - 1, u'\0');
    return std::u16string(record.name, end);
}

void SetMacroName(MacroRecord& record, std::u16string_view name)
{
    std::size_t length = std::min(name.size(), kMacroNameUnits - 1);
    // Never keep the first half of a surrogate pair without its second.
    if (length > 0 && length < name.size() && name[length - 1] >= 0xD800 && name[length - 1] <= 0xDBFF)
        --length;
    std::fill(std::begin(record.name), std::end(record.name), u'\0');
    std::copy_n(name.begin(), length, record.name);
}

std::size_t FindMacroPosition(const MacroList& list, std::uint16_t id)
{
    for (std::size_t position = 0; position < list.size(); ++position)
        if (list[position].id == id)
            return position;
    return 0;
}

std::uint16_t AllocateMacroId(const MacroList& list)
{
    for (std::uint16_t id = 1; id <= kMaxMacros; ++id)
        if (std::none_of(list.begin(), list.end(), [id](const MacroRecord& record) { return record.id == id; }))
            return id;
    return 0;
}

}  // namespace tavrin::model
