#include "cli/lighting_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

#include "cli/profile_listing.h"
#include "lighting/key_colours.h"
#include "model/key_table.h"

namespace tavrin::cli {

const std::array<const char*, 4> kPresetColourNames = {"red", "yellow", "green", "blue"};

namespace {

constexpr std::array<int, 4> kReportRates = {1000, 500, 250, 125};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::optional<int> WholeNumber(const std::string& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<int> NumberIn(const std::string& text, int low, int high)
{
    const std::optional<int> value = WholeNumber(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

std::string Range(int low, int high)
{
    return std::to_string(low) + " to " + std::to_string(high);
}

}  // namespace

bool LightingRequest::ChangesSomething() const
{
    return effect || brightness || speed || direction || colour || colourful || presetColour || reportRate || ambient
        || ambientColour;
}

std::optional<lighting::Colour> ParseHexColour(const std::string& text)
{
    std::string digits = text.size() == 7 && text[0] == '#' ? text.substr(1) : text;
    if (digits.size() != 6
        || !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isxdigit(c); }))
        return std::nullopt;
    unsigned value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    return lighting::RgbColour(static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value));
}

std::string HexColour(lighting::Colour colour)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : {lighting::RedOf(colour), lighting::GreenOf(colour), lighting::BlueOf(colour)}) {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

std::optional<int> ReportRateChoice(int hertz)
{
    const auto* found = std::find(kReportRates.begin(), kReportRates.end(), hertz);
    if (found == kReportRates.end())
        return std::nullopt;
    return static_cast<int>(found - kReportRates.begin());
}

int ReportRateHertz(int choice)
{
    return kReportRates[static_cast<std::size_t>(std::clamp(choice, 0, 3))];
}

std::optional<int> EffectNumber(const std::string& text, const EffectNames& names)
{
    if (const std::optional<int> number = NumberIn(text, lighting::kFirstMode, lighting::kLastMode))
        return number;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!names[i].empty() && Lower(names[i]) == Lower(text))
            return static_cast<int>(i) + 1;
    return std::nullopt;
}

std::string DirectionWord(int mode, std::uint8_t direction)
{
    const bool first = direction == lighting::kDirectionFirst;
    const std::optional<lighting::ModeTraits> traits = lighting::TraitsOf(mode);
    const lighting::DirectionSet set = traits ? traits->direction : lighting::DirectionSet::None;
    if (set == lighting::DirectionSet::UpDown)
        return first ? "up" : "down";
    if (set == lighting::DirectionSet::SpreadGather)
        return first ? "spread" : "gather";
    return first ? "left" : "right";
}

std::optional<LightingRequest> ParseLightingRequest(const std::vector<std::string>& arguments, std::string& error)
{
    LightingRequest request;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--json") {
            request.json = true;
            continue;
        }
        if (option == "--list-effects") {
            request.listEffects = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = option.rfind("--", 0) == 0 ? option + " needs a value" : "unexpected '" + option + "'";
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        const auto bad = [&](const std::string& expected) {
            error = option + ": " + expected + ", not '" + value + "'";
            return std::nullopt;
        };
        if (option == "--profile") {
            const auto number = NumberIn(value, 1, 3);
            if (!number)
                return bad("a profile is 1, 2 or 3");
            request.profile = *number - 1;
        } else if (option == "--effect") {
            request.effect = value;
        } else if (option == "--brightness") {
            if (!(request.brightness = NumberIn(value, 0, lighting::kLevelMax)))
                return bad("the brightness runs from " + Range(0, lighting::kLevelMax));
        } else if (option == "--speed") {
            if (!(request.speed = NumberIn(value, 0, lighting::kLevelMax)))
                return bad("the speed runs from " + Range(0, lighting::kLevelMax));
        } else if (option == "--direction") {
            static const char* const words[] = {"left", "right", "up", "down", "spread", "gather"};
            if (std::find(std::begin(words), std::end(words), Lower(value)) == std::end(words))
                return bad("the direction is left, right, up, down, spread or gather");
            request.direction = Lower(value);
        } else if (option == "--colour" || option == "--color") {
            if (!(request.colour = ParseHexColour(value)))
                return bad("a colour is six hexadecimal digits RRGGBB");
        } else if (option == "--colourful" || option == "--colorful") {
            if (Lower(value) != "on" && Lower(value) != "off")
                return bad("colourful is on or off");
            request.colourful = Lower(value) == "on";
        } else if (option == "--preset-colour" || option == "--preset-color") {
            const auto* found = std::find(kPresetColourNames.begin(), kPresetColourNames.end(), Lower(value));
            if (found == kPresetColourNames.end())
                return bad("the preset colour is red, yellow, green or blue");
            request.presetColour = static_cast<int>(found - kPresetColourNames.begin());
        } else if (option == "--report-rate") {
            const auto hertz = WholeNumber(value);
            if (!hertz || !(request.reportRate = ReportRateChoice(*hertz)))
                return bad("the report rate is 1000, 500, 250 or 125 (Hz)");
        } else if (option == "--ambient") {
            if (!(request.ambient = NumberIn(value, 1, 2)))
                return bad("the ambient light is 1 or 2");
        } else if (option == "--ambient-colour" || option == "--ambient-color") {
            if (!(request.ambientColour = ParseHexColour(value)))
                return bad("a colour is six hexadecimal digits RRGGBB");
        } else {
            error = "unknown option '" + option + "'";
            return std::nullopt;
        }
    }
    return request;
}

std::optional<std::vector<lighting::ControlOutcome>> PlanLightingChanges(const LightingRequest& request,
    const lighting::LightingState& state, const lighting::ModeTable& offered, const EffectNames& names,
    std::string& error)
{
    std::vector<lighting::ControlOutcome> changes;
    lighting::LightingState current = state;
    const auto take = [&](lighting::ControlOutcome outcome) {
        current = outcome.state;
        if (!outcome.sequences.empty())
            changes.push_back(std::move(outcome));
    };
    if (request.effect) {
        const std::optional<int> mode = EffectNumber(*request.effect, names);
        if (!mode) {
            error = "--effect: no effect is called '" + *request.effect + "' (tavrinctl lighting --list-effects)";
            return std::nullopt;
        }
        if (!offered.Offers(*mode)) {
            error = "--effect: this keyboard does not offer effect " + std::to_string(*mode);
            return std::nullopt;
        }
        take(lighting::SelectEffect(current, *mode));
    }
    const int mode = current.mode;
    const std::string effectName = mode >= lighting::kFirstMode && mode <= lighting::kLastMode
        ? "effect " + std::to_string(mode) + " (" + names[static_cast<std::size_t>(mode - 1)] + ")"
        : "effect " + std::to_string(mode);
    const std::optional<lighting::ModeTraits> traits = lighting::TraitsOf(mode);
    if (request.brightness)
        take(lighting::MoveBrightness(current, *request.brightness));
    if (request.speed) {
        if (!traits || !traits->speed) {
            error = "--speed: " + effectName + " has no speed";
            return std::nullopt;
        }
        take(lighting::MoveSpeed(current, *request.speed));
    }
    if (request.direction) {
        const bool first = DirectionWord(mode, lighting::kDirectionFirst) == *request.direction;
        const bool second = DirectionWord(mode, lighting::kDirectionSecond) == *request.direction;
        if (!traits || traits->direction == lighting::DirectionSet::None || (!first && !second)) {
            error = "--direction: " + effectName
                + (traits && traits->direction != lighting::DirectionSet::None
                        ? " goes " + DirectionWord(mode, lighting::kDirectionFirst) + " or "
                            + DirectionWord(mode, lighting::kDirectionSecond)
                        : " has no direction");
            return std::nullopt;
        }
        take(lighting::ChooseDirection(current, first ? lighting::kDirectionFirst : lighting::kDirectionSecond));
    }
    if (request.colour || request.colourful) {
        if (!traits || traits->colours == lighting::ColourGroup::None) {
            error = std::string(request.colour ? "--colour" : "--colourful") + ": " + effectName
                + " has no colour choice";
            return std::nullopt;
        }
        if (request.colour)
            take(lighting::ChooseEffectColour(current, *request.colour));
        if (request.colourful)
            take(lighting::SetColourful(current, *request.colourful));
    }
    if (request.presetColour) {
        if (mode != lighting::kFixedColourMode) {
            error = "--preset-colour: only effect 17 has preset colours";
            return std::nullopt;
        }
        take(lighting::ChooseFixedColour(current, *request.presetColour));
    }
    if (request.reportRate)
        take(lighting::ChooseReportRate(current, *request.reportRate));
    if (request.ambient)
        take(lighting::ChooseAmbient(current, *request.ambient));
    if (request.ambientColour)
        take(lighting::ChooseAmbientColour(current, *request.ambientColour));
    return changes;
}

std::string KeyColourName(int controlId)
{
    if (controlId == model::kFnButtonId)
        return "Fn";
    const std::optional<model::KeyCode> code = model::KeyCodeOfButton(controlId);
    if (!code)
        return {};
    return KeyName(*code);
}

std::optional<std::vector<KeyColourLine>> ParseKeyColourLines(const std::string& text, std::string& error)
{
    std::vector<KeyColourLine> lines;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        line.erase(0, start);
        const std::size_t equals = line.rfind('=');
        const auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why;
            return std::nullopt;
        };
        if (equals == std::string::npos || equals == 0)
            return fail("expected KEY=RRGGBB, not '" + line + "'");
        std::string key = line.substr(0, equals);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t'))
            key.pop_back();
        std::string value = line.substr(equals + 1);
        value.erase(0, std::min(value.find_first_not_of(" \t"), value.size()));
        const std::optional<lighting::Colour> colour = ParseHexColour(value);
        if (!colour)
            return fail("'" + value + "' is not a colour RRGGBB");
        std::optional<int> button;
        for (const lighting::LitButton& lit : lighting::LitButtons())
            if (lighting::PaintableLedOf(lit.controlId) && Lower(KeyColourName(lit.controlId)) == Lower(key))
                button = lit.controlId;
        if (!button)
            return fail("no key is called '" + key + "' (tavrinctl colours lists the names)");
        lines.push_back({*button, *colour});
    }
    return lines;
}

}  // namespace tavrin::cli
