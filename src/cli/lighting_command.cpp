#include "cli/lighting_command.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "cli/command_results.h"
#include "cli/keyboard_connection.h"
#include "cli/lighting_options.h"
#include "cli/profile_listing.h"
#include "cli/program_notice.h"
#include "lighting/lighting_editor.h"
#include "model/language_texts.h"
#include "platform/atomic_file.h"
#include "platform/private_profile.h"
#include "platform/user_folders.h"
#include "profiles/keyboard_changes.h"

namespace tavrin::cli {

const char* const kLightingUsage = "lighting [--profile N] [--json] [CHANGES]";
const char* const kLightingDetails
    = "Shows a profile's lighting (the active profile's unless --profile N), or changes it:\n"
      "  --effect NAME|NUMBER   an effect the keyboard offers (--list-effects names them)\n"
      "  --brightness N         0 to 24\n"
      "  --speed N              0 to 24, as the panel's slider (higher is faster)\n"
      "  --direction WORD       left|right (effects 1-3), up|down (12), spread|gather (18)\n"
      "  --colour RRGGBB        the effect's colour (turns colourful off)\n"
      "  --colourful on|off     the colour cycle instead of one colour\n"
      "  --preset-colour NAME   red|yellow|green|blue, for effect 17\n"
      "  --report-rate HZ       1000|500|250|125\n"
      "  --ambient 1|2          the ambient light's choice; --ambient-colour RRGGBB its colour\n"
      "Changes are checked first and sent in this order, exactly as the lighting panel sends them.";
const char* const kColoursUsage = "colours [--profile N] [--layout N] [--set FILE|-]";
const char* const kColoursDetails
    = "Shows the per-key colours of effect 19 as KEY=RRGGBB lines: the keyboard's, or with --layout N\n"
      "(1 to 10) a saved user layout's. --set paints the keys FILE lists (KEY=RRGGBB lines, '#'\n"
      "comments; '-' reads standard input) on the keyboard and keeps them in the user layout (the\n"
      "one last selected unless --layout N). Keys not listed keep their colours.";

namespace {

std::string LanguageFile(const std::string& toolFolder)
{
    return model::LanguageFilePath(toolFolder + "/", model::kDefaultLanguage);
}

EffectNames ReadEffectNames(const std::string& toolFolder)
{
    EffectNames names;
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = platform::GetPrivateProfileString("Mode", std::to_string(i + 1), "", LanguageFile(toolFolder));
    return names;
}

std::string AmbientName(const std::string& toolFolder, int choice)
{
    return platform::GetPrivateProfileString("LED", std::to_string(choice), "", LanguageFile(toolFolder));
}

void PrintLighting(
    const lighting::LightingEditor& editor, const EffectNames& names, const std::string& toolFolder, bool json)
{
    const lighting::LightingState& s = editor.State();
    const bool known = s.mode >= lighting::kFirstMode && s.mode <= lighting::kLastMode;
    const std::string effectName = known ? names[static_cast<std::size_t>(s.mode - 1)] : std::string();
    const int speed = lighting::SpeedPosition(s.speed);
    if (json) {
        std::cout << "{\"profile\": " << editor.Profile() + 1 << ", \"effect\": {\"number\": " << s.mode
                  << ", \"name\": " << JsonString(effectName) << "}, \"brightness\": " << s.brightness
                  << ", \"speed\": " << speed << ", \"direction\": " << JsonString(DirectionWord(s.mode, s.direction))
                  << ", \"colour\": " << JsonString(HexColour(s.effectColour))
                  << ", \"colourful\": " << (s.colourful ? "true" : "false")
                  << ", \"presetColour\": " << JsonString(kPresetColourNames[static_cast<std::size_t>(s.fixedColour)])
                  << ", \"reportRate\": " << ReportRateHertz(s.reportRate)
                  << ", \"ambient\": {\"choice\": " << s.ambientChoice
                  << ", \"name\": " << JsonString(AmbientName(toolFolder, s.ambientChoice))
                  << ", \"colour\": " << JsonString(HexColour(s.ambientColour)) << "}, \"effects\": [";
        for (int position = 0; position < editor.Modes().Count(); ++position) {
            const int mode = editor.Modes().ModeAt(position);
            std::cout << (position ? ", " : "") << "{\"number\": " << mode << ", \"name\": "
                      << JsonString(mode <= lighting::kLastMode ? names[static_cast<std::size_t>(mode - 1)] : "")
                      << "}";
        }
        std::cout << "]}\n";
        return;
    }
    std::cout << "Profile: " << editor.Profile() + 1 << "\n";
    std::cout << "Effect: " << s.mode << (effectName.empty() ? "" : " " + effectName) << "\n";
    std::cout << "Brightness: " << s.brightness << " of 24\n";
    std::cout << "Speed: " << speed << " of 24\n";
    std::cout << "Direction: " << DirectionWord(s.mode, s.direction) << "\n";
    std::cout << "Colour: " << HexColour(s.effectColour) << (s.colourful ? " (colourful on)" : " (colourful off)")
              << "\n";
    std::cout << "Preset colour (effect 17): " << kPresetColourNames[static_cast<std::size_t>(s.fixedColour)] << "\n";
    std::cout << "Report rate: " << ReportRateHertz(s.reportRate) << " Hz\n";
    std::cout << "Ambient light: " << s.ambientChoice << " " << AmbientName(toolFolder, s.ambientChoice) << ", colour "
              << HexColour(s.ambientColour) << "\n";
}

// The profile whose lighting is meant: the one named, else the one the keyboard runs.
std::optional<int> ChosenProfile(KeyboardConnection& keyboard, std::optional<int> named, int& status)
{
    if (named)
        return named;
    const int active = keyboard.ActiveProfile().ReadActiveProfile();
    if (active < 0) {
        status = Fail(kDeviceFailure, "reading the active profile failed");
        return std::nullopt;
    }
    if (active > 2) {
        status = Fail(kBadUsage,
            "the keyboard runs its default mode, which has no lighting of its own: name a profile with --profile N");
        return std::nullopt;
    }
    return active;
}

}  // namespace

int RunLightingCommand(const std::vector<std::string>& arguments, const std::string& toolFolder)
{
    std::string error;
    const std::optional<LightingRequest> request = ParseLightingRequest(arguments, error);
    if (!request)
        return Fail(kBadUsage, "lighting: " + error);
    const EffectNames names = ReadEffectNames(toolFolder);
    if (request->listEffects) {
        for (const std::string& name : names)
            if (!name.empty())
                std::cout << name << "\n";
        return kSuccess;
    }

    ErrorMessages messages;
    ProgramNotice notice;  // told once the keyboard is closed
    KeyboardConnection keyboard(messages);
    if (std::string failure = keyboard.Open(toolFolder, kKeyboardWait); !failure.empty())
        return Fail(kDeviceFailure, failure);
    int status = kSuccess;
    const std::optional<int> profile = ChosenProfile(keyboard, request->profile, status);
    if (!profile)
        return status;
    const std::string documents = platform::DocumentsFolder();
    lighting::LightingEditor editor(keyboard.Commands(), lighting::UserColourPrefix(documents), "");
    if (const lighting::LightingResult loaded = editor.Load(false, *profile); !loaded.Ok())
        return Fail(kDeviceFailure, "reading the lighting: " + loaded.Describe());

    const auto changes = PlanLightingChanges(*request, editor.State(), editor.Modes(), names, error);
    if (!changes)
        return Fail(kBadUsage, "lighting: " + error + "; nothing was sent");
    std::size_t taken = 0;
    for (const lighting::ControlOutcome& change : *changes) {
        // A change that failed may have been taken in part.
        notice.Add(profiles::kChangedLighting);
        const lighting::LightingResult result = editor.Change(change);
        if (!result.Ok())
            return Fail(kDeviceFailure,
                result.Describe() + ". " + std::to_string(taken) + " of " + std::to_string(changes->size())
                    + " changes were taken before it; 'tavrinctl lighting' shows " + "what the keyboard holds now");
        ++taken;
    }
    PrintLighting(editor, names, toolFolder, request->json);
    return kSuccess;
}

int RunColoursCommand(const std::vector<std::string>& arguments, const std::string& toolFolder)
{
    std::optional<int> namedProfile;
    std::optional<int> layout;
    std::optional<std::string> setFrom;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (i + 1 >= arguments.size())
            return Fail(kBadUsage, "colours: " + option + " needs a value");
        const std::string& value = arguments[++i];
        if (option == "--profile" && value.size() == 1 && value[0] >= '1' && value[0] <= '3')
            namedProfile = value[0] - '1';
        else if (option == "--layout" && (value == "10" || (value.size() == 1 && value[0] >= '1' && value[0] <= '9')))
            layout = std::stoi(value) - 1;
        else if (option == "--set")
            setFrom = value;
        else
            return Fail(kBadUsage,
                "colours: '" + option + " " + value + "' is not an option it takes (--profile 1-3, "
                    + "--layout 1-10, --set FILE|-)");
    }
    std::vector<lighting::KeyPaint> paints;
    if (setFrom) {
        const std::optional<std::string> text
            = platform::ReadWholeFile(*setFrom == "-" ? "/dev/stdin" : *setFrom, 1 << 20);
        if (!text)
            return Fail(kBadUsage, "colours: " + *setFrom + " cannot be read");
        std::string error;
        const auto lines = ParseKeyColourLines(*text, error);
        if (!lines)
            return Fail(kBadUsage, "colours: " + *setFrom + ", " + error + "; nothing was sent");
        for (const KeyColourLine& line : *lines)
            paints.push_back({line.controlId, line.colour});
    }

    ErrorMessages messages;
    ProgramNotice notice;  // told once the keyboard is closed
    KeyboardConnection keyboard(messages);
    if (std::string failure = keyboard.Open(toolFolder, kKeyboardWait); !failure.empty())
        return Fail(kDeviceFailure, failure);
    int status = kSuccess;
    const std::optional<int> profile = ChosenProfile(keyboard, namedProfile, status);
    if (!profile)
        return status;
    lighting::LightingEditor editor(keyboard.Commands(), lighting::UserColourPrefix(platform::DocumentsFolder()), "");
    if (const lighting::LightingResult loaded = editor.Load(true, *profile); !loaded.Ok())
        return Fail(kDeviceFailure, "reading the lighting: " + loaded.Describe());
    if (!editor.Modes().Offers(lighting::kPerKeyMode))
        return Fail(kDeviceFailure, "this keyboard offers no per-key colours (effect 19)");
    const int chosenLayout
        = layout.value_or(std::clamp(editor.Files().SelectedLayout(*profile), 0, lighting::kUserLayoutCount - 1));

    if (setFrom) {
        // The keyboard and the layout file, both perhaps in part when this fails.
        if (!paints.empty())
            notice.Add(profiles::kChangedKeyColours);
        const lighting::LightingResult result = editor.PaintKeys(paints, chosenLayout);
        if (result.device.Failed())
            return Fail(kDeviceFailure, result.Describe() + "; the keyboard may hold some of the new colours");
        if (!result.fileFailure.empty())
            return Fail(kDeviceFailure, "the keyboard took the colours, but " + result.Describe());
        std::cout << paints.size() << " keys painted in profile " << *profile + 1 << ", kept in user layout "
                  << chosenLayout + 1 << "\n";
        if (editor.State().mode != lighting::kPerKeyMode)
            std::cout << "The keyboard shows them with effect 19 ('tavrinctl lighting --effect 19').\n";
        return kSuccess;
    }

    // Row by row, as the keys sit on the keyboard.
    std::vector<lighting::LitButton> keys;
    for (const lighting::LitButton& button : lighting::LitButtons())
        if (lighting::PaintableLedOf(button.controlId))
            keys.push_back(button);
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.led < b.led; });
    std::vector<lighting::KeyEntry> saved;
    if (layout)
        saved = editor.Files().ReadLayoutEntries(*profile, *layout);
    for (const lighting::LitButton& key : keys) {
        lighting::Colour colour = editor.Colours().ColourAt(static_cast<std::size_t>(*profile), key.led);
        if (layout) {
            const auto entry
                = std::find_if(saved.begin(), saved.end(), [&](const auto& e) { return e.led == key.led; });
            colour = entry != saved.end() ? entry->colour : colour;
        }
        std::cout << KeyColourName(key.controlId) << "=" << HexColour(colour) << "\n";
    }
    return kSuccess;
}

}  // namespace tavrin::cli
