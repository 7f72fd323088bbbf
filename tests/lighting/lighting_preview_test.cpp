// The preview's tables and the first ticks of its effects.
#include "lighting/lighting_preview.h"

#include <gtest/gtest.h>

#include <set>

#include "model/key_table.h"

namespace tavrin::lighting {
namespace {

std::optional<Colour> ShownOn(const PreviewFrame& frame, int controlId)
{
    const auto& buttons = LitButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].controlId == controlId)
            return frame.colours[i];
    return std::nullopt;
}

LightingState Effect(int mode, bool colourful, std::uint8_t direction)
{
    LightingState state;
    state.mode = mode;
    state.colourful = colourful;
    state.direction = direction;
    state.effectColour = RgbColour(0, 0, 255);
    return state;
}

constexpr int kCtrl = 1083, kBackquote = 1029, kNumStar = 1106, kNumMinus = 1107;

TEST(LightingPreviewTest, TablesCoverEveryKeyAndTheWheel)
{
    const auto& order = SerpentineOrder();
    std::set<int> keys(order.begin(), order.end());
    EXPECT_EQ(keys.size(), model::kKeyButtonCount);
    for (const model::KeyButton& key : model::KeyButtonsInOrder())
        EXPECT_TRUE(keys.count(key.controlId)) << "key " << key.controlId << " is on the grid";
    std::set<int> leds;
    for (const LitButton& button : LitButtons())
        if (const auto led = PaintableLedOf(button.controlId))
            leds.insert(*led);
    EXPECT_EQ(leds.size(), model::kKeyButtonCount + 1) << "every key and Fn has a light of its own";
    EXPECT_EQ(leds.count(kGKeyLed), 0u);
    EXPECT_EQ(WheelColour(0), RgbColour(255, 1, 0));
    EXPECT_EQ(WheelColour(63), RgbColour(0, 255, 0));
    EXPECT_EQ(WheelColour(191), RgbColour(255, 0, 0));
    EXPECT_EQ(Scaled(RgbColour(255, 100, 3), 128), RgbColour(128, 50, 1));
}

TEST(LightingPreviewTest, FirstTicksOfTheStatedEffects)
{
    LightingPreview wave;
    const PreviewFrame first = wave.Tick(Effect(1, true, 0xFF));
    EXPECT_EQ(ShownOn(first, kCtrl), WheelColour(9)) << "column 0";
    EXPECT_EQ(ShownOn(first, kBackquote), WheelColour(18)) << "column 1";

    LightingPreview cycle;
    const PreviewFrame spectrum = cycle.Tick(Effect(4, true, 0));
    for (const model::KeyButton& key : model::KeyButtonsInOrder())
        EXPECT_EQ(ShownOn(spectrum, key.controlId), WheelColour(190));

    LightingPreview still;
    const PreviewFrame rainbow = still.Tick(Effect(6, true, 0));
    EXPECT_EQ(ShownOn(rainbow, kNumStar), WheelColour(189)) << "column 21";
    EXPECT_EQ(ShownOn(rainbow, kNumMinus), WheelColour(0)) << "column 22 starts over";

    LightingPreview rings;
    for (int tick = 0; tick < 400; ++tick) {
        rings.Tick(Effect(18, true, 0));
        ASSERT_LT(rings.Phase(18), 192u) << "tick " << tick;
    }
}

TEST(LightingPreviewTest, EveryEffectDrawsWhatItShould)
{
    for (int mode = 1; mode <= 19; ++mode) {
        LightingPreview preview;
        bool animated = false;
        bool perKey = false;
        for (int tick = 0; tick < 30; ++tick) {
            const PreviewFrame frame = preview.Tick(Effect(mode, tick % 2 == 0, 0xFF));
            animated = animated || frame.Animated();
            perKey = frame.perKey;
        }
        const bool still = mode == 7 || mode == 8 || mode == 9 || mode == 17;
        EXPECT_EQ(animated, !still) << "effect " << mode;
        EXPECT_EQ(perKey, mode == 19) << "effect " << mode;
    }
}

TEST(LightingPreviewTest, SimulatedEffectsReplayExactlyAndStartOverOnReset)
{
    for (int mode : {10, 13, 14, 15, 16}) {
        LightingPreview one;
        LightingPreview two;
        std::vector<PreviewFrame> firstRun;
        for (int tick = 0; tick < 40; ++tick) {
            const PreviewFrame a = one.Tick(Effect(mode, true, 0xFF));
            EXPECT_EQ(a.colours, two.Tick(Effect(mode, true, 0xFF)).colours) << "effect " << mode;
            firstRun.push_back(a);
        }
        // A single colour draws only the effect colour at some level.
        const PreviewFrame single = one.Tick(Effect(mode, false, 0xFF));
        for (const auto& colour : single.colours) {
            if (colour) {
                EXPECT_EQ(RedOf(*colour), 0) << "effect " << mode;
            }
        }
        one.Reset();
        const PreviewFrame afterReset = one.Tick(Effect(mode, true, 0xFF));
        int lit = 0;
        for (const auto& colour : afterReset.colours)
            lit += colour && *colour != 0;
        EXPECT_LE(lit, 12) << "effect " << mode << " starts from a dark keyboard";
    }
}

}  // namespace
}  // namespace tavrin::lighting
