#include "lighting/lighting_preview.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "lighting/lighting_modes.h"
#include "model/key_table.h"

namespace tavrin::lighting {
namespace {

using Row = std::array<int, kGridColumns>;

// Key button identifiers by row, left to right. Right Win sits between App and Right Ctrl.
constexpr std::array<Row, kGridRows> kGrid = {{
    {0, 0, 1022, 1010, 1011, 1012, 1013, 0, 1014, 1015, 1023, 1024, 1025, 1026, 1027, 1028, 1091, 1092, 1093, 0, 0, 0,
        0},
    {0, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1043, 1043, 1094, 1095, 1096,
        1104, 1105, 1106, 1107},
    {0, 1056, 1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052, 1053, 1054, 1055, 1042, 1042, 1097, 1098, 1099,
        1108, 1109, 1110, 0},
    {0, 1069, 1058, 1059, 1060, 1061, 1062, 1063, 1064, 1065, 1066, 1067, 1068, 1070, 0, 0, 0, 0, 0, 1112, 1113, 1114,
        1111},
    {0, 1082, 1071, 1072, 1073, 1074, 1075, 1076, 1077, 1078, 1079, 1080, 0, 0, 1081, 1081, 0, 1103, 0, 1115, 1116,
        1117, 1118},
    {1083, 1084, 1085, 0, 0, 0, 1090, 0, 0, 1086, 1086, 1174, 1088, 1087, 1089, 1089, 1100, 1101, 1102, 1120, 1120,
        1119, 0},
}};

constexpr std::array<std::uint8_t, 32> kRise = {1, 3, 5, 7, 10, 14, 18, 22, 26, 32, 38, 44, 50, 57, 65, 73, 81, 89, 99,
    109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<std::uint8_t, 32> kFall = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85,
    77, 69, 61, 53, 47, 41, 35, 29, 24, 20, 16, 12, 8, 6, 4, 2, 0};
constexpr std::array<std::uint8_t, 48> kRisingLevels
    = {22, 24, 27, 30, 33, 36, 39, 42, 45, 49, 53, 57, 61, 65, 69, 73, 77, 81, 85, 89, 94, 99, 104, 109, 114, 119, 124,
        129, 134, 140, 146, 152, 158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
constexpr std::array<std::uint8_t, 80> kPulseLevels = {0, 4, 8, 14, 22, 33, 45, 61, 77, 94, 114, 134, 158, 182, 206,
    234, 255, 248, 241, 234, 227, 220, 213, 206, 200, 194, 188, 182, 176, 170, 164, 158, 152, 146, 140, 134, 129, 124,
    119, 114, 109, 104, 99, 94, 89, 85, 81, 77, 73, 69, 65, 61, 57, 53, 49, 45, 42, 39, 36, 33, 30, 27, 24, 22, 20, 18,
    16, 14, 12, 10, 9, 8, 7, 6, 5, 4, 3, 2, 2, 1};
constexpr std::array<std::uint8_t, 16> kLowLevels = {3, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 18, 20};

struct Tables {
    std::array<Colour, kWheelSize> wheel{};
    std::array<std::uint8_t, 96> a{};
    std::array<std::uint8_t, 128> b{};
    std::array<std::uint8_t, 128> c{};
    std::array<int, 104> serpentine{};
    // Per grid cell, the place of its key among the lit buttons; −1 for none.
    std::array<std::array<int, kGridColumns>, kGridRows> places{};
    std::array<int, 104> keyPlaces{};  // serpentine order → lit-button place
    std::array<int, 104> ringOf{};     // serpentine order → ring 0–11
    std::array<std::size_t, 104> sparkleOrder{};
};

int PlaceOfId(int controlId)
{
    const auto& buttons = LitButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].controlId == controlId)
            return static_cast<int>(i);
    return -1;
}

Tables BuildTables()
{
    Tables t;
    for (std::size_t i = 0; i < 32; ++i) {
        t.wheel[i] = RgbColour(255, kRise[i], 0);
        t.wheel[32 + i] = RgbColour(kFall[i], 255, 0);
        t.wheel[64 + i] = RgbColour(0, 255, kRise[i]);
        t.wheel[96 + i] = RgbColour(0, kFall[i], 255);
        t.wheel[128 + i] = RgbColour(kRise[i], 0, 255);
        t.wheel[160 + i] = RgbColour(255, 0, kFall[i]);
    }
    for (std::size_t i = 0; i < 48; ++i) {
        t.a[i] = kRisingLevels[i];
        t.a[95 - i] = kRisingLevels[i];
    }
    std::copy(kPulseLevels.begin(), kPulseLevels.end(), t.b.begin());
    std::copy(kLowLevels.begin(), kLowLevels.end(), t.c.begin());
    std::copy(kRisingLevels.begin(), kRisingLevels.end(), t.c.begin() + 16);
    for (std::size_t i = 0; i < 64; ++i)
        t.c[127 - i] = t.c[i];

    std::vector<int> seen;
    std::size_t k = 0;
    for (int row = 0; row < kGridRows; ++row) {
        for (int step = 0; step < kGridColumns; ++step) {
            const int column = row % 2 == 0 ? step : kGridColumns - 1 - step;
            const int id = kGrid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
            t.places[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = id ? PlaceOfId(id) : -1;
            if (id == 0 || id == model::kFnButtonId || std::find(seen.begin(), seen.end(), id) != seen.end())
                continue;
            seen.push_back(id);
            if (k < t.serpentine.size()) {
                t.serpentine[k] = id;
                t.keyPlaces[k] = PlaceOfId(id);
                // Rings: twelve bands of distance from the middle of the keyboard, widest outside.
                const double dx = (column - 11.0) / 11.0, dy = (row - 2.5) / 2.5;
                t.ringOf[k] = std::min(11, static_cast<int>(std::sqrt(dx * dx + dy * dy) / std::sqrt(2.0) * 12.0));
                ++k;
            }
        }
    }
    // The sparkle list: every key once, spread over the keyboard (a step prime to 104).
    for (std::size_t i = 0; i < t.sparkleOrder.size(); ++i)
        t.sparkleOrder[i] = (i * 37 + 11) % t.sparkleOrder.size();
    return t;
}

const Tables& T()
{
    static const Tables tables = BuildTables();
    return tables;
}

// Moves `phase` by `step` within `length`, forward or backward.
unsigned PhaseStep(unsigned phase, unsigned step, unsigned length, bool forward)
{
    phase %= length;
    if (forward)
        return phase + step >= length ? phase + step - length : phase + step;
    return phase < step ? phase + length - step : phase - step;
}

void Put(PreviewFrame& frame, int place, Colour colour)
{
    if (place >= 0)
        frame.colours[static_cast<std::size_t>(place)] = colour;
}

template<typename ColourOfColumn> void PaintColumns(PreviewFrame& frame, ColourOfColumn colourOf)
{
    for (int column = 0; column < kGridColumns; ++column) {
        const Colour colour = colourOf(column);
        for (int row = 0; row < kGridRows; ++row)
            Put(frame, T().places[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)], colour);
    }
}

void PaintAll(PreviewFrame& frame, Colour colour)
{
    PaintColumns(frame, [colour](int) { return colour; });
}

// The colour table of the sparkles: 255 entries around the wheel.
Colour SparkleColour(std::uint8_t entry)
{
    return WheelColour(static_cast<std::size_t>(entry) * kWheelSize / 255);
}

}  // namespace

const std::array<std::array<int, kGridColumns>, kGridRows>& KeyGrid()
{
    return kGrid;
}

const std::array<int, 104>& SerpentineOrder()
{
    return T().serpentine;
}

Colour WheelColour(std::size_t entry)
{
    return T().wheel[entry % kWheelSize];
}

Colour Scaled(Colour colour, int level)
{
    const auto scale = [level](std::uint8_t value) { return static_cast<std::uint8_t>(value * level / 255); };
    return RgbColour(scale(RedOf(colour)), scale(GreenOf(colour)), scale(BlueOf(colour)));
}

bool PreviewFrame::Animated() const
{
    return perKey || std::any_of(colours.begin(), colours.end(), [](const auto& c) { return c.has_value(); });
}

unsigned LightingPreview::Random()
{
    // xorshift: the same sequence on every run, so a test can replay the preview.
    seed_ ^= seed_ << 13;
    seed_ ^= seed_ >> 17;
    seed_ ^= seed_ << 5;
    return seed_;
}

void LightingPreview::ClearWorkingArrays()
{
    grid_ = {};
    sparkles_ = {};
    movers_ = {};
    nextSparkle_ = 0;
    for (std::size_t k = 0; k < keyPhases_.size(); ++k)
        keyPhases_[k] = static_cast<unsigned>(33 * k % kWheelSize);
}

PreviewFrame LightingPreview::Tick(const LightingState& state)
{
    if (resetPending_) {
        ClearWorkingArrays();
        resetPending_ = false;
    }
    PreviewFrame frame;
    const Tables& t = T();
    const bool forward = state.direction != 0;
    const bool colourful = state.colourful;
    const Colour effect = state.effectColour;
    const int mode = state.mode;
    if (mode < kFirstMode || mode > kLastMode)
        return frame;
    unsigned& phase = PhaseOf(mode);

    switch (mode) {
    case 1:
        if (colourful) {
            phase = PhaseStep(phase, 9, 192, forward);
            PaintColumns(frame, [&](int c) { return t.wheel[(phase + 9u * static_cast<unsigned>(c)) % 192]; });
        } else {
            phase = PhaseStep(phase, 7, 96, forward);
            PaintColumns(
                frame, [&](int c) { return Scaled(effect, t.a[(phase + 7u * static_cast<unsigned>(c)) % 96]); });
        }
        break;
    case 2:
        if (colourful) {
            phase = PhaseStep(phase, 4, 192, forward);
            PaintColumns(frame, [&](int c) { return t.wheel[(phase + 5u * static_cast<unsigned>(c)) % 192]; });
        } else {
            phase = PhaseStep(phase, 4, 128, true);
            int index = static_cast<int>(phase);
            const bool ahead = state.direction == kDirectionFirst;
            PaintColumns(frame, [&](int) {
                const Colour colour = Scaled(effect, t.b[static_cast<std::size_t>(index)]);
                index += ahead ? 5 : -5;
                if (index >= 128)
                    index -= 123;
                if (index < 0)
                    index += 123;
                return colour;
            });
        }
        break;
    case 3:
        phase = colourful ? PhaseStep(phase, 4, 192, forward) : PhaseStep(phase, 4, 96, forward);
        for (std::size_t k = 0; k < t.keyPlaces.size(); ++k) {
            const unsigned at = phase + 5u * static_cast<unsigned>(k);
            Put(frame, t.keyPlaces[k], colourful ? t.wheel[at % 192] : Scaled(effect, t.a[at % 96]));
        }
        break;
    case 4:
        phase = PhaseStep(phase, 2, 192, forward);
        PaintAll(frame, t.wheel[phase]);
        break;
    case 5: {
        phase = PhaseStep(phase, 2, 128, true);
        const int level = t.c[phase];
        if (colourful)
            PaintColumns(frame, [&](int c) { return Scaled(t.wheel[7u * static_cast<unsigned>(c) % 192], level); });
        else
            PaintAll(frame, Scaled(effect, level));
        break;
    }
    case 6:
        if (colourful) {
            unsigned index = 0;
            PaintColumns(frame, [&](int) {
                const Colour colour = t.wheel[index];
                index += 9;
                if (index >= 192)
                    index = 0;
                return colour;
            });
        } else {
            PaintAll(frame, effect);
        }
        break;
    case 10:
        Sparkle(frame, state);
        break;
    case 11:
        for (std::size_t k = 0; k < keyPhases_.size(); ++k) {
            keyPhases_[k] += 3;
            if (keyPhases_[k] >= 192)
                keyPhases_[k] = 0;
            Put(frame, t.keyPlaces[k], t.wheel[keyPhases_[k]]);
        }
        break;
    case 12:
        phase = PhaseStep(phase, 3, 192, forward);
        for (int row = 0; row < kGridRows; ++row)
            for (int column = 0; column < kGridColumns; ++column)
                Put(frame, t.places[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)],
                    t.wheel[(phase + 32u * static_cast<unsigned>(row)) % 192]);
        break;
    case 13:
    case 14:
    case 15:
    case 16:
        Simulate(mode, frame, state);
        break;
    case 18:
        phase = forward ? (phase + 2 >= 192 ? 0 : phase + 2) : PhaseStep(phase, 2, 192, false);
        for (std::size_t k = 0; k < t.keyPlaces.size(); ++k)
            Put(frame, t.keyPlaces[k], t.wheel[(phase + 21u * static_cast<unsigned>(t.ringOf[k] + 1)) % 192]);
        break;
    case kPerKeyMode:
        frame.perKey = true;
        break;
    default:  // 7, 8, 9 and 17 react to the keyboard's own keys: nothing to imitate
        break;
    }
    return frame;
}

void LightingPreview::Sparkle(PreviewFrame& frame, const LightingState& state)
{
    const Tables& t = T();
    for (Cell& cell : sparkles_)
        cell.level = std::max(0, cell.level - 24);
    for (int lit = 0; lit < 3; ++lit) {
        Cell& cell = sparkles_[t.sparkleOrder[nextSparkle_]];
        cell.level = 255;
        cell.colour = static_cast<std::uint8_t>(Random() % 255);
        nextSparkle_ = (nextSparkle_ + 1) % sparkles_.size();
    }
    for (std::size_t k = 0; k < sparkles_.size(); ++k) {
        const Cell& cell = sparkles_[k];
        Put(frame, t.keyPlaces[k],
            Scaled(state.colourful ? SparkleColour(cell.colour) : state.effectColour, cell.level));
    }
}

// Raindrops fall down the columns, fireworks rise and burst, meteors cross the rows with a tail,
// and afterglow lights keys as if pressed and lets them fade slowly.
void LightingPreview::Simulate(int mode, PreviewFrame& frame, const LightingState& state)
{
    const Tables& t = T();
    const int fade = mode == 16 ? 12 : mode == 15 ? 64 : 40;
    for (auto& row : grid_)
        for (Cell& cell : row)
            cell.level = std::max(0, cell.level - fade);
    const auto light = [&](int row, int column, std::uint8_t colour) {
        if (row < 0 || row >= kGridRows || column < 0 || column >= kGridColumns)
            return;
        Cell& cell = grid_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
        cell.level = 255;
        cell.colour = colour;
    };

    for (Mover& mover : movers_) {
        if (!mover.active) {
            if (Random() % 4 != 0)
                continue;
            mover = {};
            mover.active = true;
            mover.colour = static_cast<std::uint8_t>(Random() % 255);
            mover.column = static_cast<int>(Random() % kGridColumns);
            if (mode == 13)
                mover.row = 0;
            if (mode == 14) {
                mover.row = kGridRows - 1;
                mover.target = static_cast<int>(Random() % 3);
            }
            if (mode == 15) {
                mover.row = static_cast<int>(Random() % kGridRows);
                mover.column = 0;
            }
            if (mode == 16)
                mover.row = static_cast<int>(Random() % kGridRows);
        }
        ++mover.age;
        switch (mode) {
        case 13:  // one row down every other tick
            light(mover.row, mover.column, mover.colour);
            if (mover.age % 2 == 0 && ++mover.row >= kGridRows)
                mover.active = false;
            break;
        case 14:  // up to its height, then a ring that widens for three ticks
            if (mover.row > mover.target) {
                light(mover.row--, mover.column, mover.colour);
            } else {
                const int radius = mover.age - (kGridRows - 1 - mover.target);
                for (int dr = -radius; dr <= radius; ++dr)
                    for (int dc = -2 * radius; dc <= 2 * radius; ++dc)
                        if (std::max(std::abs(dr), (std::abs(dc) + 1) / 2) == radius)
                            light(mover.row + dr, mover.column + dc, mover.colour);
                if (radius >= 3)
                    mover.active = false;
            }
            break;
        case 15:  // two columns a tick
            light(mover.row, mover.column, mover.colour);
            light(mover.row, mover.column + 1, mover.colour);
            mover.column += 2;
            if (mover.column >= kGridColumns)
                mover.active = false;
            break;
        default:  // 16: a press, then the glow fades
            light(mover.row, mover.column, mover.colour);
            mover.active = false;
            break;
        }
    }

    for (int row = 0; row < kGridRows; ++row)
        for (int column = 0; column < kGridColumns; ++column) {
            const Cell& cell = grid_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
            const Colour colour = state.colourful ? SparkleColour(cell.colour) : state.effectColour;
            Put(frame, t.places[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)],
                Scaled(colour, cell.level));
        }
}

}  // namespace tavrin::lighting
