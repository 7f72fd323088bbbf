#include "ui/mask_runs.h"

namespace tavrin::ui {
namespace {

bool IsTransparent(std::uint32_t pixel)
{
    return (pixel & 0x00FFFFFFu) == 0x00FFFFFFu;
}

}  // namespace

std::vector<PixelRun> OpaqueRuns(std::span<const std::uint32_t> pixels, int width, int height, std::size_t stride)
{
    std::vector<PixelRun> runs;
    if (width <= 0 || height <= 0 || stride < static_cast<std::size_t>(width))
        return runs;
    for (int y = 0; y < height; ++y) {
        const std::size_t rowStart = static_cast<std::size_t>(y) * stride;
        if (rowStart + static_cast<std::size_t>(width) > pixels.size())
            break;
        const std::span<const std::uint32_t> row = pixels.subspan(rowStart, static_cast<std::size_t>(width));
        int x = 0;
        while (x < width) {
            while (x < width && IsTransparent(row[static_cast<std::size_t>(x)]))
                ++x;
            const int start = x;
            while (x < width && !IsTransparent(row[static_cast<std::size_t>(x)]))
                ++x;
            if (x > start)
                runs.push_back({start, y, x - start});
        }
    }
    return runs;
}

}  // namespace tavrin::ui
