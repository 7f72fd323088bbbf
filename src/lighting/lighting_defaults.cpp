#include "lighting/lighting_defaults.h"

namespace tavrin::lighting {
namespace {

struct LedRun {
    int firstLed, lastLed;
    std::uint8_t red, green, blue;
};

constexpr LedRun kDefaultColourRuns[] = {
    {29, 30, 255, 0, 0},
    {32, 33, 255, 0, 0},
    {49, 54, 0, 255, 0},
    {70, 74, 0, 0, 255},
    {93, 95, 255, 255, 0},
    {109, 109, 0, 255, 128},
};

std::array<std::uint8_t, kKeyColourTableSize> BuildDefaultColours()
{
    std::array<std::uint8_t, kKeyColourTableSize> table{};
    for (const LedRun& run : kDefaultColourRuns) {
        for (int led = run.firstLed; led <= run.lastLed; ++led) {
            table[static_cast<std::size_t>(led) * 3] = run.red;
            table[static_cast<std::size_t>(led) * 3 + 1] = run.green;
            table[static_cast<std::size_t>(led) * 3 + 2] = run.blue;
        }
    }
    return table;
}

}  // namespace

const std::array<std::uint8_t, kDefaultRecordSize>& DefaultLightingRecord()
{
    // mode 1, brightness 24, speed 3, direction 0, colourful, effect colour green, field 11 = 8,
    // base and paint colour black, report rate 0, effect-17 colour red, ambient choice 2 in red.
    static const std::array<std::uint8_t, kDefaultRecordSize> record{0x01, 0x18, 0x03, 0x00, 0xFF, 0x00, 0xFF, 0x00,
        0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0xFF, 0x00, 0x00};
    return record;
}

const std::array<std::uint8_t, kKeyColourTableSize>& DefaultKeyColours()
{
    static const std::array<std::uint8_t, kKeyColourTableSize> table = BuildDefaultColours();
    return table;
}

}  // namespace tavrin::lighting
