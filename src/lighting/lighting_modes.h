// The keyboard's lighting effects: what each effect number uses, which effects a keyboard offers
// (from its identity block) and where each sits in the effect list, and which panel controls show.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tavrin::lighting {

inline constexpr int kFirstMode = 1;
inline constexpr int kLastMode = 19;
inline constexpr int kFixedColourMode = 17;
inline constexpr int kPerKeyMode = 19;
inline constexpr std::size_t kModeListSize = 23;

enum class DirectionSet { None, LeftRight, UpDown, SpreadGather };
enum class ColourGroup { None, HX, FY };

struct ModeTraits {
    bool speed = false;
    DirectionSet direction = DirectionSet::None;
    ColourGroup colours = ColourGroup::None;
    bool sendsColourful = false;  // choosing the effect also writes the colourful switch
};

// Nothing for a number outside 1–19.
std::optional<ModeTraits> TraitsOf(int mode);

using ModeList = std::array<std::uint8_t, kModeListSize>;

// The effect list's positions: every non-zero byte of the keyboard's list, in order.
class ModeTable {
public:
    void Rebuild(std::span<const std::uint8_t, kModeListSize> list);
    void Clear() { count_ = 0; }

    // 0 for a position that holds nothing.
    int ModeAt(int position) const;
    // The first position holding `mode`; −1 when the keyboard does not offer it.
    int PositionOf(int mode) const;
    bool Offers(int mode) const { return PositionOf(mode) >= 0; }
    int Count() const { return static_cast<int>(count_); }

private:
    std::array<std::uint8_t, kModeListSize> modes_{};
    std::size_t count_ = 0;
};

// The lighting panel's controls by role, as bits.
enum LightingControlBits : unsigned {
    kShowEffects = 1u << 0,       // the effect list
    kShowBrightness = 1u << 1,    // label and slider
    kShowSpeed = 1u << 2,         // label and slider
    kShowDirection = 1u << 3,     // label and both pictures
    kShowColoursHX = 1u << 4,     // colour button, colourful switch and their labels
    kShowColoursFY = 1u << 5,     // the same, effects 6 and 16
    kShowFixedColours = 1u << 6,  // effect 17's four colours
    kShowPerKeyTools = 1u << 7,   // effect 19's colours, brushes and user layouts
    kShowAmbient = 1u << 8,       // label and list
    kShowAmbientColour = 1u << 9  // colour button and its text
};

// What shows for `mode` with the panel open or closed, on a profile (false: the default profile,
// which has no lighting), with the ambient-light choice (1 shows its colour). An effect number the
// program does not know still shows the effect list, so that another can be chosen.
unsigned VisibleLightingControls(int mode, bool panelOpen, bool onProfile, int ambientChoice);

// The pictures of the direction choice for an effect: "{first, first selected, second, second
// selected}" file names. Effects without a direction show the left/right set.
struct DirectionPictures {
    const char* first;
    const char* firstSelected;
    const char* second;
    const char* secondSelected;
    const char* layoutSuffix;  // "", "2" or "3": which skin keys place them
};
DirectionPictures DirectionPicturesOf(int mode);

}  // namespace tavrin::lighting
