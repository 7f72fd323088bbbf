#include "lighting/key_colours.h"

#include <algorithm>

#include "lighting/lighting_defaults.h"
#include "model/key_table.h"

namespace tavrin::lighting {
namespace {

struct LedOfButton {
    int led;
    int controlId;
};

// Every key button and Fn with its light: row × 21 + column.
constexpr LedOfButton kLeds[] = {
    // Row 0
    {0, 1022},
    {1, 1010},
    {2, 1011},
    {3, 1012},
    {4, 1013},
    {5, 1014},
    {6, 1015},
    {7, 1023},
    {8, 1024},
    {9, 1025},
    {10, 1026},
    {11, 1027},
    {12, 1028},
    {13, 1091},
    {14, 1092},
    {15, 1093},
    {16, 1105},
    {17, 1106},
    {18, 1107},
    // Row 1
    {21, 1029},
    {22, 1030},
    {23, 1031},
    {24, 1032},
    {25, 1033},
    {26, 1034},
    {27, 1035},
    {28, 1036},
    {29, 1037},
    {30, 1038},
    {31, 1039},
    {32, 1040},
    {33, 1041},
    {34, 1043},
    {35, 1094},
    {36, 1095},
    {37, 1096},
    {38, 1104},
    {39, 1110},
    // Row 2
    {42, 1056},
    {43, 1044},
    {44, 1045},
    {45, 1046},
    {46, 1047},
    {47, 1048},
    {48, 1049},
    {49, 1050},
    {50, 1051},
    {51, 1052},
    {52, 1053},
    {53, 1054},
    {54, 1055},
    {55, 1042},
    {56, 1097},
    {57, 1098},
    {58, 1099},
    {59, 1108},
    {60, 1109},
    // Row 3
    {63, 1069},
    {64, 1058},
    {65, 1059},
    {66, 1060},
    {67, 1061},
    {68, 1062},
    {69, 1063},
    {70, 1064},
    {71, 1065},
    {72, 1066},
    {73, 1067},
    {74, 1068},
    {76, 1070},
    {77, 1112},
    {78, 1113},
    {79, 1114},
    {80, 1111},
    // Row 4
    {84, 1082},
    {86, 1071},
    {87, 1072},
    {88, 1073},
    {89, 1074},
    {90, 1075},
    {91, 1076},
    {92, 1077},
    {93, 1078},
    {94, 1079},
    {95, 1080},
    {96, 1081},
    {97, 1103},
    {98, 1115},
    {99, 1116},
    {100, 1117},
    // Row 5
    {105, 1083},
    {106, 1084},
    {107, 1085},
    {108, 1090},
    {109, 1086},
    {kFnLed, model::kFnButtonId},
    {111, 1088},
    {112, 1087},
    {113, 1089},
    {114, 1100},
    {115, 1101},
    {116, 1102},
    {117, 1120},
    {118, 1119},
    {119, 1118},
};
static_assert(std::size(kLeds) == model::kKeyButtonCount + 1, "every key button and Fn has a light");

std::array<LitButton, kLitButtonCount> BuildLitButtons()
{
    std::array<LitButton, kLitButtonCount> buttons{};
    std::size_t place = 0;
    for (const model::KeyButton& key : model::KeyButtonsInOrder()) {
        const auto* found = std::find_if(
            std::begin(kLeds), std::end(kLeds), [&](const LedOfButton& l) { return l.controlId == key.controlId; });
        buttons[place++] = {key.controlId, found != std::end(kLeds) ? found->led : kGKeyLed};
    }
    for (std::size_t g = 0; g < model::kGKeyCount; ++g)
        buttons[place++] = {*model::GButtonId(static_cast<int>(g)), kGKeyLed};
    buttons[place] = {model::kFnButtonId, kFnLed};
    return buttons;
}

std::optional<std::size_t> PlaceOf(int controlId)
{
    const auto& buttons = LitButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].controlId == controlId)
            return i;
    return std::nullopt;
}

constexpr std::size_t kFnPlace = kLitButtonCount - 1;
constexpr std::size_t kFirstGPlace = model::kKeyButtonCount;

}  // namespace

const std::array<LitButton, kLitButtonCount>& LitButtons()
{
    static const std::array<LitButton, kLitButtonCount> buttons = BuildLitButtons();
    return buttons;
}

std::optional<int> PaintableLedOf(int controlId)
{
    const std::optional<std::size_t> place = PlaceOf(controlId);
    if (!place || (*place >= kFirstGPlace && *place != kFnPlace))
        return std::nullopt;
    return LitButtons()[*place].led;
}

KeyColours::KeyColours()
{
    for (auto& slot : marks_)
        slot.fill(1);
}

Colour KeyColours::ColourAt(std::size_t slot, int led) const
{
    if (slot >= kSlotCount || led < 0 || led >= static_cast<int>(device::kLedCount))
        return 0;
    return lighting::ColourAt(Slot(slot), static_cast<std::size_t>(led) * 3);
}

void KeyColours::SetColour(std::size_t slot, int led, Colour colour)
{
    if (slot >= kSlotCount || led < 0 || led >= static_cast<int>(device::kLedCount))
        return;
    std::span<std::uint8_t, device::kColourSlotSize> bytes = Slot(slot);
    const std::size_t at = static_cast<std::size_t>(led) * 3;
    bytes[at] = RedOf(colour);
    bytes[at + 1] = GreenOf(colour);
    bytes[at + 2] = BlueOf(colour);
}

std::span<const std::uint8_t, device::kColourSlotSize> KeyColours::Slot(std::size_t slot) const
{
    return std::span<const std::uint8_t, device::kColourSlotSize>(
        table_.data() + std::min(slot, kSlotCount - 1) * device::kColourSlotSize, device::kColourSlotSize);
}

std::span<std::uint8_t, device::kColourSlotSize> KeyColours::Slot(std::size_t slot)
{
    return std::span<std::uint8_t, device::kColourSlotSize>(
        table_.data() + std::min(slot, kSlotCount - 1) * device::kColourSlotSize, device::kColourSlotSize);
}

void KeyColours::StoreReadChunk(std::size_t slot, int chunk, std::span<const std::uint8_t> bytes)
{
    if (slot >= kSlotCount || chunk < 0 || chunk >= kChunksRead)
        return;
    const std::size_t start = static_cast<std::size_t>(chunk) * kChunkBytes;
    if (start >= device::kColourSlotSize)
        return;
    const std::size_t count
        = std::min({bytes.size(), static_cast<std::size_t>(kChunkBytes), device::kColourSlotSize - start});
    std::copy_n(bytes.begin(), count, Slot(slot).begin() + static_cast<std::ptrdiff_t>(start));
}

void KeyColours::RebuildMarks(const std::array<Colour, kSlotCount>& baseColours)
{
    const auto& buttons = LitButtons();
    for (std::size_t slot = 0; slot < kSlotCount; ++slot)
        for (std::size_t place = 0; place < buttons.size(); ++place)
            SetMark(slot, place, ColourAt(slot, buttons[place].led) == baseColours[slot]);
}

std::vector<ColourWrite> ChunksOf(const KeyColours& colours, std::size_t slot)
{
    std::vector<ColourWrite> writes;
    const auto bytes = colours.Slot(slot);
    for (int chunk = 0; chunk < kChunksSent; ++chunk) {
        const auto* first = bytes.data() + static_cast<std::size_t>(chunk) * kChunkBytes;
        writes.push_back({chunk * kLedsPerChunk, std::vector<std::uint8_t>(first, first + kChunkBytes)});
    }
    return writes;
}

PerKeyOutcome PaintKey(KeyColours& colours, std::size_t slot, int controlId, Brush brush, const LightingState& state)
{
    PerKeyOutcome outcome;
    const std::optional<int> led = PaintableLedOf(controlId);
    const std::optional<std::size_t> place = PlaceOf(controlId);
    if (!led || !place || slot >= kSlotCount)
        return outcome;
    const bool mark = brush == Brush::Base;
    const Colour colour = mark ? state.baseColour : state.paintColour;
    colours.SetColour(slot, *led, colour);
    colours.SetMark(slot, *place, mark);
    outcome.colourWrites.push_back({*led, {RedOf(colour), GreenOf(colour), BlueOf(colour)}});
    outcome.entries.push_back({*led, colour, mark});
    outcome.repainted.push_back(controlId);
    return outcome;
}

PerKeyOutcome SetBaseColour(KeyColours& colours, std::size_t slot, LightingState& state, Colour colour)
{
    PerKeyOutcome outcome;
    colour &= 0xFFFFFF;
    if (colour == state.baseColour || slot >= kSlotCount)
        return outcome;
    state.baseColour = colour;
    const auto& buttons = LitButtons();
    for (std::size_t place = 0; place < buttons.size(); ++place) {
        if (!colours.Mark(slot, place))
            continue;
        colours.SetColour(slot, buttons[place].led, colour);
        outcome.repainted.push_back(buttons[place].controlId);
        // The G buttons share one light; its entry is written once.
        const int led = buttons[place].led;
        if (std::none_of(
                outcome.entries.begin(), outcome.entries.end(), [led](const KeyEntry& e) { return e.led == led; }))
            outcome.entries.push_back({led, colour, true});
    }
    outcome.colourWrites = ChunksOf(colours, slot);
    outcome.settingsWrites.push_back({field::kBaseColour, {RedOf(colour), GreenOf(colour), BlueOf(colour)}});
    return outcome;
}

PerKeyOutcome RestoreKeyColourDefaults(KeyColours& colours, std::size_t slot, LightingState& state)
{
    PerKeyOutcome outcome;
    if (slot >= kSlotCount)
        return outcome;
    const auto& defaults = DefaultKeyColours();
    std::copy(defaults.begin(), defaults.end(), colours.Slot(slot).begin());
    state.baseColour = 0;
    const auto& buttons = LitButtons();
    for (std::size_t place = 0; place < buttons.size(); ++place) {
        // A key with a colour of its own no longer follows the base colour.
        colours.SetMark(slot, place, place == kFnPlace || colours.ColourAt(slot, buttons[place].led) == 0);
        outcome.repainted.push_back(buttons[place].controlId);
    }
    outcome.colourWrites = ChunksOf(colours, slot);
    return outcome;
}

PerKeyOutcome PaintKeys(KeyColours& colours, std::size_t slot, const std::vector<KeyPaint>& paints)
{
    PerKeyOutcome outcome;
    if (slot >= kSlotCount)
        return outcome;
    for (const KeyPaint& paint : paints) {
        const std::optional<int> led = PaintableLedOf(paint.controlId);
        const std::optional<std::size_t> place = PlaceOf(paint.controlId);
        if (!led || !place)
            continue;
        colours.SetColour(slot, *led, paint.colour);
        colours.SetMark(slot, *place, false);
        outcome.entries.push_back({*led, paint.colour & 0xFFFFFF, false});
        outcome.repainted.push_back(paint.controlId);
    }
    if (!outcome.entries.empty())
        outcome.colourWrites = ChunksOf(colours, slot);
    return outcome;
}

PerKeyOutcome TakeLayout(KeyColours& colours, std::size_t slot, const std::vector<KeyEntry>& entries)
{
    PerKeyOutcome outcome;
    if (slot >= kSlotCount)
        return outcome;
    const auto& buttons = LitButtons();
    for (const KeyEntry& entry : entries) {
        colours.SetColour(slot, entry.led, entry.colour);
        for (std::size_t place = 0; place < buttons.size(); ++place)
            if (buttons[place].led == entry.led && (place < kFirstGPlace || place == kFnPlace))
                colours.SetMark(slot, place, entry.mark);
    }
    for (const LitButton& button : buttons)
        outcome.repainted.push_back(button.controlId);
    outcome.colourWrites = ChunksOf(colours, slot);
    return outcome;
}

}  // namespace tavrin::lighting
