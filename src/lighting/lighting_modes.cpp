#include "lighting/lighting_modes.h"

namespace tavrin::lighting {
namespace {

constexpr DirectionSet NoDirection = DirectionSet::None, LeftRight = DirectionSet::LeftRight,
                       UpDown = DirectionSet::UpDown, SpreadGather = DirectionSet::SpreadGather;
constexpr ColourGroup NoColour = ColourGroup::None, HX = ColourGroup::HX, FY = ColourGroup::FY;

// Effects 1–19 in order: speed, direction, colour group, colourful byte sent on selection.
constexpr std::array<ModeTraits, kLastMode> kModes = {{
    {true, LeftRight, HX, true},             // 1
    {true, LeftRight, HX, true},             // 2
    {true, LeftRight, HX, true},             // 3
    {true, NoDirection, NoColour, false},    // 4
    {true, NoDirection, HX, true},           // 5
    {false, NoDirection, FY, false},         // 6
    {true, NoDirection, HX, true},           // 7
    {true, NoDirection, HX, true},           // 8
    {true, NoDirection, HX, true},           // 9
    {true, NoDirection, HX, false},          // 10
    {true, NoDirection, NoColour, false},    // 11
    {true, UpDown, NoColour, false},         // 12
    {true, NoDirection, HX, true},           // 13
    {true, NoDirection, HX, true},           // 14
    {true, NoDirection, HX, true},           // 15
    {false, NoDirection, FY, false},         // 16
    {false, NoDirection, NoColour, false},   // 17: one of four fixed colours
    {false, SpreadGather, NoColour, false},  // 18
    {false, NoDirection, NoColour, false},   // 19: per-key colours
}};

}  // namespace

std::optional<ModeTraits> TraitsOf(int mode)
{
    if (mode < kFirstMode || mode > kLastMode)
        return std::nullopt;
    return kModes[static_cast<std::size_t>(mode - kFirstMode)];
}

void ModeTable::Rebuild(std::span<const std::uint8_t, kModeListSize> list)
{
    count_ = 0;
    for (std::uint8_t mode : list)
        if (mode != 0)
            modes_[count_++] = mode;
}

int ModeTable::ModeAt(int position) const
{
    if (position < 0 || static_cast<std::size_t>(position) >= count_)
        return 0;
    return modes_[static_cast<std::size_t>(position)];
}

int ModeTable::PositionOf(int mode) const
{
    for (std::size_t i = 0; i < count_; ++i)
        if (modes_[i] == mode)
            return static_cast<int>(i);
    return -1;
}

unsigned VisibleLightingControls(int mode, bool panelOpen, bool onProfile, int ambientChoice)
{
    if (!panelOpen || !onProfile)
        return 0;
    unsigned shown = kShowEffects | kShowAmbient;
    if (ambientChoice == 1)
        shown |= kShowAmbientColour;
    const std::optional<ModeTraits> traits = TraitsOf(mode);
    if (!traits)
        return shown;
    shown |= kShowBrightness;
    if (traits->speed)
        shown |= kShowSpeed;
    if (traits->direction != DirectionSet::None)
        shown |= kShowDirection;
    if (traits->colours == ColourGroup::HX)
        shown |= kShowColoursHX;
    if (traits->colours == ColourGroup::FY)
        shown |= kShowColoursFY;
    if (mode == kFixedColourMode)
        shown |= kShowFixedColours;
    if (mode == kPerKeyMode)
        shown |= kShowPerKeyTools;
    return shown;
}

DirectionPictures DirectionPicturesOf(int mode)
{
    const std::optional<ModeTraits> traits = TraitsOf(mode);
    const DirectionSet set = traits ? traits->direction : DirectionSet::None;
    if (set == DirectionSet::UpDown)
        return {"upup.bmp", "updown.bmp", "downup.bmp", "downdown.bmp", "3"};
    if (set == DirectionSet::SpreadGather)
        return {"kuosan.bmp", "kuosandown.bmp", "julong.bmp", "julongdown.bmp", ""};
    return {"leftup.bmp", "leftdown.bmp", "rightup.bmp", "rightdown.bmp", set == DirectionSet::LeftRight ? "2" : ""};
}

}  // namespace tavrin::lighting
