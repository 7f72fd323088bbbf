// Loading the skin's pictures and cutting a window's shape from its mask.
#pragma once

#include <QColor>
#include <QImage>
#include <QRegion>
#include <cstdint>
#include <string>

namespace tavrin::ui {

// Reads the whole file and decodes it by its content (JPEG and bitmap at least). A null image when
// the file cannot be read, is no picture, or ends before its picture does.
QImage LoadSkinPicture(const std::string& path);

// The shape of a window of `window` size: the mask's non-white pixels, built from one-pixel-high
// runs joined a hundred at a time. A mask of another size than the window counts where it overlaps
// the window; the rest of the window lies outside the shape.
QRegion RegionFromMask(const QImage& mask, QSize window);

// A colour as the skin and the lighting state keep it: 0x00BBGGRR, red in the low byte.
inline QColor ColourOfValue(std::uint32_t value)
{
    return QColor(
        static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF), static_cast<int>((value >> 16) & 0xFF));
}
inline std::uint32_t ValueOfColour(const QColor& colour)
{
    return static_cast<std::uint32_t>(colour.red()) | static_cast<std::uint32_t>(colour.green()) << 8
        | static_cast<std::uint32_t>(colour.blue()) << 16;
}

}  // namespace tavrin::ui
