// The user's language as a Windows language identifier, which is what the language files and the
// stored language setting are keyed by. Derived from the POSIX locale.
#pragma once

#include <cstdint>
#include <string_view>

namespace tavrin::platform {

inline constexpr std::uint16_t kEnglishUnitedStates = 1033;

// From LC_ALL, else LC_MESSAGES, else LANG; English (United States) when none names a known locale.
std::uint16_t SystemLanguageId();

// "fr_CH.UTF-8", "zh_HK", "pt-BR", "es_419@euro", "nl" …; 1033 for "C", "POSIX" and unknown names.
std::uint16_t LanguageIdOfLocale(std::string_view locale);

}  // namespace tavrin::platform
