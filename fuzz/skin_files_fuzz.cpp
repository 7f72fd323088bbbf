// Skins come from beside the program and may be replaced by anyone: picture files are checked for
// completeness by our own reader before a decoder sees them, layout values are parsed by our own
// reader, and mask pictures become runs. None may read outside its bytes or fail on any input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "ui/mask_runs.h"
#include "ui/picture_check.h"
#include "ui/skin_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavrin::ui;
    PictureDataComplete({data, size});

    const std::string_view text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 260));
    for (const PlacingRule rule :
        {PlacingRule::ImageButton, PlacingRule::Plain, PlacingRule::MoveOnly, PlacingRule::TwoKeys}) {
        const Placement placement = PlaceByRule(rule, text, text);
        if (placement.width < 0 || placement.height < 0)
            std::abort();  // a garbage value must fall back, never give a negative size
    }

    // The first bytes choose a mask's size and stride; the rest are its pixels, possibly too few.
    if (size < 4)
        return 0;
    const int width = data[0] % 64;
    const int height = data[1] % 64;
    const std::size_t stride = static_cast<std::size_t>(width) + data[2] % 4;
    std::vector<std::uint32_t> pixels((size - 4) / 4);
    std::memcpy(pixels.data(), data + 4, pixels.size() * 4);
    for (const PixelRun& run : OpaqueRuns(pixels, width, height, stride))
        if (run.x < 0 || run.width <= 0 || run.x + run.width > width || run.y < 0 || run.y >= height)
            std::abort();
    return 0;
}
