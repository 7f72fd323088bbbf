// A short, stable hash of a text (FNV-1a), for names that must differ per folder and stay short.
#pragma once

#include <cstdint>
#include <string_view>

namespace tavrin::platform {

inline std::uint32_t ShortHash(std::string_view text)
{
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

}  // namespace tavrin::platform
