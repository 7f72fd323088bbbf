#include "ui/picture_check.h"

#include <cstdint>
#include <cstdlib>

namespace tavrin::ui {
namespace {

std::uint32_t Little32(std::span<const unsigned char> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8
        | static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t Little16(std::span<const unsigned char> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Marker bytes cannot occur inside a scan's data (a data byte 0xFF is followed by 0x00), so the end
// marker after the last scan marker is the end of the picture.
bool JpegComplete(std::span<const unsigned char> bytes)
{
    std::size_t lastScan = 0;
    bool scanFound = false;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) {
            lastScan = i;
            scanFound = true;
        }
    if (!scanFound)
        return false;
    for (std::size_t i = lastScan + 2; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xD9)
            return true;
    return false;
}

bool BitmapComplete(std::span<const unsigned char> bytes)
{
    constexpr std::size_t kFileHeader = 14;
    if (bytes.size() < kFileHeader + 12)
        return false;
    const std::uint64_t pixelsAt = Little32(bytes, 10);
    const std::uint32_t infoSize = Little32(bytes, 14);
    std::int64_t width = 0, height = 0;
    std::uint32_t bitsPerPixel = 0, compression = 0, imageSize = 0;
    if (infoSize == 12) {
        width = Little16(bytes, 18);
        height = Little16(bytes, 20);
        bitsPerPixel = Little16(bytes, 24);
    } else if (infoSize >= 40 && bytes.size() >= kFileHeader + 40) {
        width = static_cast<std::int32_t>(Little32(bytes, 18));
        height = static_cast<std::int32_t>(Little32(bytes, 22));
        bitsPerPixel = Little16(bytes, 28);
        compression = Little32(bytes, 30);
        imageSize = Little32(bytes, 34);
    } else {
        return false;
    }
    constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
    std::uint64_t needed = 0;
    if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
        const std::uint64_t rowBytes = (static_cast<std::uint64_t>(std::llabs(width)) * bitsPerPixel + 31) / 32 * 4;
        needed = rowBytes * static_cast<std::uint64_t>(std::llabs(height));
    } else if (compression == kRle8 || compression == kRle4) {
        needed = imageSize;
    } else {
        return true;  // an embedded JPEG or PNG: its decoder judges it
    }
    return pixelsAt + needed <= bytes.size();
}

}  // namespace

bool PictureDataComplete(std::span<const unsigned char> bytes)
{
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8)
        return JpegComplete(bytes);
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return BitmapComplete(bytes);
    return true;
}

}  // namespace tavrin::ui
