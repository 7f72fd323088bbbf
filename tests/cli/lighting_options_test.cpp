// tavrinctl lighting's options: every value checked before anything is sent, and the panel's
// changes they stand for; and the KEY=RRGGBB lines of tavrinctl colours.
#include "cli/lighting_options.h"

#include <gtest/gtest.h>

#include <set>

#include "lighting/key_colours.h"

namespace tavrin::cli {
namespace {

EffectNames Names()
{
    EffectNames names;
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = "Effect " + std::to_string(i + 1);
    names[0] = "Wave";
    names[11] = "Vertical Wave";
    names[17] = "Rings";
    return names;
}

lighting::ModeTable Offered(std::initializer_list<std::uint8_t> modes)
{
    lighting::ModeList list{};
    std::copy(modes.begin(), modes.end(), list.begin());
    lighting::ModeTable table;
    table.Rebuild(list);
    return table;
}

TEST(LightingOptionsTest, BadValuesAreRefusedWithTheReason)
{
    const struct {
        std::vector<std::string> arguments;
        const char* reason;
    } cases[] = {
        {{"--brightness", "25"}, "0 to 24"},
        {{"--brightness", "x"}, "0 to 24"},
        {{"--speed", "-1"}, "0 to 24"},
        {{"--direction", "north"}, "left, right"},
        {{"--colour", "12345"}, "RRGGBB"},
        {{"--colour", "GG0000"}, "RRGGBB"},
        {{"--colourful", "yes"}, "on or off"},
        {{"--report-rate", "300"}, "1000, 500"},
        {{"--ambient", "3"}, "1 or 2"},
        {{"--profile", "4"}, "1, 2 or 3"},
        {{"--brightness"}, "needs a value"},
        {{"--shine", "1"}, "unknown option"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseLightingRequest(c.arguments, error)) << c.arguments[0];
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(LightingOptionsTest, ChangesFollowThePanelsOrderAndFitTheEffect)
{
    std::string error;
    const auto request = ParseLightingRequest({"--effect", "vertical wave", "--direction", "up", "--brightness", "5",
                                                  "--report-rate", "125", "--ambient", "1"},
        error);
    ASSERT_TRUE(request) << error;
    const auto changes = PlanLightingChanges(*request, lighting::LightingState{}, Offered({1, 12}), Names(), error);
    ASSERT_TRUE(changes) << error;
    ASSERT_EQ(changes->size(), 5u);
    EXPECT_EQ((*changes)[0].sequences[0].writes[0], (lighting::SettingsWrite{3, {12}}));
    EXPECT_EQ((*changes)[1].sequences[0].writes[0], (lighting::SettingsWrite{4, {5}}));
    EXPECT_EQ((*changes)[2].sequences[0].writes[0], (lighting::SettingsWrite{6, {0xFF}}));
    EXPECT_EQ((*changes)[3].sequences[0].writes[0], (lighting::SettingsWrite{18, {3}}));
    EXPECT_FALSE((*changes)[4].sequences[0].bracketed) << "the ambient choice goes without the bracket";

    const struct {
        std::vector<std::string> arguments;
        const char* reason;
    } misfits[] = {
        {{"--effect", "Rings", "--speed", "3"}, "has no speed"},
        {{"--effect", "Wave", "--direction", "up"}, "goes left or right"},
        {{"--effect", "Vertical Wave", "--colour", "FF0000"}, "no colour choice"},
        {{"--preset-colour", "blue"}, "only effect 17"},
        {{"--effect", "Effect 3"}, "does not offer effect 3"},
        {{"--effect", "Sparkles"}, "no effect is called"},
    };
    for (const auto& m : misfits) {
        const auto parsed = ParseLightingRequest(m.arguments, error);
        ASSERT_TRUE(parsed) << error;
        EXPECT_FALSE(PlanLightingChanges(*parsed, lighting::LightingState{}, Offered({1, 12, 18}), Names(), error));
        EXPECT_NE(error.find(m.reason), std::string::npos) << error;
    }
}

TEST(LightingOptionsTest, KeyColourLinesNameEveryPaintableKeyOnce)
{
    std::set<std::string> names;
    int paintable = 0;
    for (const lighting::LitButton& button : lighting::LitButtons())
        if (lighting::PaintableLedOf(button.controlId)) {
            ++paintable;
            names.insert(KeyColourName(button.controlId));
        }
    EXPECT_EQ(paintable, 105);
    EXPECT_EQ(names.size(), 105u) << "every key has a name of its own";

    std::string error;
    const auto lines = ParseKeyColourLines("# WASD\nW=ff0000\r\n  num 7 = #00FF00\n\n==0000FF\nFn=010203\n", error);
    ASSERT_TRUE(lines) << error;
    ASSERT_EQ(lines->size(), 4u);
    EXPECT_EQ((*lines)[1].colour, lighting::RgbColour(0, 255, 0));
    EXPECT_EQ((*lines)[2].controlId, 1041) << "the = key";
    EXPECT_EQ((*lines)[3].controlId, 1174);

    EXPECT_FALSE(ParseKeyColourLines("W=ff0000\nG1=00ff00\n", error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_FALSE(ParseKeyColourLines("W ff0000\n", error));
    EXPECT_FALSE(ParseKeyColourLines("W=ff00\n", error));
}

}  // namespace
}  // namespace tavrin::cli
