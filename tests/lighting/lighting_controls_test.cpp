// What each lighting control changes and exactly what it writes, and the defaults.
#include "lighting/lighting_controls.h"

#include <gtest/gtest.h>

#include <functional>

#include "lighting/lighting_defaults.h"

namespace tavrin::lighting {

// Printed by the assertions that compare sequences.
std::ostream& operator<<(std::ostream& out, const WriteSequence& sequence)
{
    out << (sequence.bracketed ? "[" : "(");
    for (const SettingsWrite& write : sequence.writes) {
        out << " " << write.field << ":=";
        for (std::uint8_t byte : write.bytes)
            out << " " << int{byte};
    }
    return out << (sequence.bracketed ? " ]" : " )");
}

namespace {

using Bytes = std::vector<std::uint8_t>;

LightingState Colourful()
{
    LightingState state;
    state.colourful = true;
    state.speed = 4;
    return state;
}

TEST(LightingControlsTest, EachChangeWritesExactlyItsFields)
{
    struct Case {
        const char* name;
        std::function<ControlOutcome(const LightingState&)> change;
        std::vector<WriteSequence> sent;
        std::function<bool(const LightingState&)> took;
    };
    const Case cases[] = {
        {"effect with colourful byte", [](const auto& s) { return SelectEffect(s, 2); }, {{true, {{3, {2}}, {7, {1}}}}},
            [](const auto& s) { return s.mode == 2; }},
        {"effect without it", [](const auto& s) { return SelectEffect(s, 10); }, {{true, {{3, {10}}}}},
            [](const auto& s) { return s.mode == 10; }},
        {"effect out of range", [](const auto& s) { return SelectEffect(s, 20); }, {},
            [](const auto& s) { return s.mode == 1; }},
        {"brightness", [](const auto& s) { return MoveBrightness(s, 7); }, {{true, {{4, {7}}}}},
            [](const auto& s) { return s.brightness == 7; }},
        {"brightness unchanged", [](const auto& s) { return MoveBrightness(s, 24); }, {},
            [](const auto& s) { return s.brightness == 24; }},
        // The comparison is on the keyboard's value: position 4 of a stored 4 is a new value 20.
        {"speed position 4 over value 4", [](const auto& s) { return MoveSpeed(s, 4); }, {{true, {{5, {20}}}}},
            [](const auto& s) { return s.speed == 20; }},
        {"speed at its position", [](const auto& s) { return MoveSpeed(s, 20); }, {},
            [](const auto& s) { return s.speed == 4; }},
        {"first direction", [](const auto& s) { return ChooseDirection(s, kDirectionFirst); }, {{true, {{6, {0xFF}}}}},
            [](const auto& s) { return s.direction == 0xFF; }},
        {"effect colour", [](const auto& s) { return ChooseEffectColour(s, RgbColour(1, 2, 3)); },
            {{true, {{7, {0}}, {8, {1, 2, 3}}}}},
            [](const auto& s) { return !s.colourful && s.effectColour == RgbColour(1, 2, 3); }},
        {"colourful off", [](const auto& s) { return SetColourful(s, false); }, {{true, {{7, {0}}}}},
            [](const auto& s) { return !s.colourful; }},
        // Choosing the colour already chosen still sends it.
        {"fixed colour again", [](const auto& s) { return ChooseFixedColour(s, 0); }, {{true, {{20, {0}}}}},
            [](const auto& s) { return s.fixedColour == 0; }},
        {"report rate 4", [](const auto& s) { return ChooseReportRate(s, 3); }, {{true, {{18, {3}}}}},
            [](const auto& s) { return s.reportRate == 3; }},
        {"report rate out of range", [](const auto& s) { return ChooseReportRate(s, 4); }, {},
            [](const auto& s) { return s.reportRate == 0; }},
        // The only write without the bracket.
        {"second ambient entry", [](const auto& s) { return ChooseAmbient(s, 2); }, {{false, {{21, {2}}}}},
            [](const auto& s) { return s.ambientChoice == 2; }},
        {"ambient colour", [](const auto& s) { return ChooseAmbientColour(s, RgbColour(9, 8, 7)); },
            {{true, {{22, {9, 8, 7}}}}}, [](const auto& s) { return s.ambientColour == RgbColour(9, 8, 7); }},
    };
    for (const Case& c : cases) {
        const ControlOutcome outcome = c.change(Colourful());
        EXPECT_EQ(outcome.sequences, c.sent) << c.name;
        EXPECT_TRUE(c.took(outcome.state)) << c.name;
    }
}

TEST(LightingControlsTest, DefaultsSelectEffectOneThenWriteTheWholeRecord)
{
    LightingState state = Colourful();
    state.colourful = false;
    state.paintColour = RgbColour(5, 5, 5);
    const ControlOutcome outcome = RestoreLightingDefaults(state);
    ASSERT_EQ(outcome.sequences.size(), 2u);
    EXPECT_EQ(outcome.sequences[0], (WriteSequence{true, {{3, {1}}, {7, {0}}}}))
        << "effect 1 goes with the colourful byte of the state before";
    const Bytes record{0x01, 0x18, 0x03, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x02, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(outcome.sequences[1], (WriteSequence{true, {{3, record}}}));
    EXPECT_EQ(outcome.state.speed, 3);
    EXPECT_EQ(SpeedPicture(SpeedPosition(outcome.state.speed)), "48.bmp");
    EXPECT_EQ(BrightnessPicture(outcome.state.brightness), "25.bmp");
    EXPECT_TRUE(outcome.state.colourful);
    EXPECT_EQ(outcome.state.ambientChoice, 2);
    EXPECT_EQ(outcome.state.effectColour, RgbColour(0, 255, 0)) << "the colour the keyboard then holds";
    EXPECT_EQ(outcome.state.paintColour, RgbColour(5, 5, 5)) << "the paint colour is the program's own";
}

TEST(LightingStateTest, LoadBringsValuesIntoTheControlsRanges)
{
    std::array<std::uint8_t, device::kSettingsAreaSize> area{};
    const std::size_t p2 = 2 * device::kSettingsRecordSize;
    area[p2 + 3] = 12;
    area[p2 + 4] = 200;   // brightness past the slider
    area[p2 + 7] = 0xFF;  // any non-zero byte is colourful
    area[p2 + 8] = 10, area[p2 + 9] = 20, area[p2 + 10] = 30;
    area[p2 + 18] = 9;  // report rate
    area[p2 + 21] = 5;  // ambient choice
    area[p2 + 22] = 255, area[p2 + 24] = 1;
    area[p2 + 34] = 0x77;  // the record's last byte is within what is read
    const LightingState state = StateFromSettings(area, 2);
    EXPECT_EQ(state.mode, 12);
    EXPECT_EQ(state.brightness, 24);
    EXPECT_TRUE(state.colourful);
    EXPECT_EQ(state.effectColour, RgbColour(10, 20, 30));
    EXPECT_EQ(state.reportRate, 3);
    EXPECT_EQ(state.ambientChoice, 2);
    EXPECT_EQ(state.ambientColour, RgbColour(255, 0, 1));
    EXPECT_EQ(FieldAddress(2, 34), 104) << "profile 2's last field is the last byte read";
}

}  // namespace
}  // namespace tavrin::lighting
