// The shape of a skinned window from its mask picture: every row's runs of pixels that are not the
// transparent colour, pure white. Plain logic over a pixel buffer; the window turns the runs into
// its region.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavrin::ui {

// A one-pixel-high rectangle of the shape.
struct PixelRun {
    int x = 0;
    int y = 0;
    int width = 0;
    bool operator==(const PixelRun&) const = default;
};

// `pixels` holds `height` rows of `width` pixels 0xAARRGGBB (alpha ignored), each row `stride`
// pixels after the one before. Only exactly 255, 255, 255 is transparent. Rows the buffer does not
// hold completely are left out, so a short buffer never reads past its end.
std::vector<PixelRun> OpaqueRuns(std::span<const std::uint32_t> pixels, int width, int height, std::size_t stride);

}  // namespace tavrin::ui
