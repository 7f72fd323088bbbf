// UTF-16 texts (macro names, key texts) meet UTF-8 texts (language files, windows) at the edges.
#pragma once

#include <string>
#include <string_view>

namespace tavrin::model {

// Unpaired surrogates become U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);
// Invalid sequences become U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);

}  // namespace tavrin::model
