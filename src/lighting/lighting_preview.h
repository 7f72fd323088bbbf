// The effect played on the keyboard picture while the lighting panel is open: every tick gives the
// colour each key button shows next. Nothing is sent to the keyboard. A tick depends only on the
// effect, the lighting state and this object's own counters, so a test can replay it exactly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "lighting/key_colours.h"
#include "lighting/lighting_state.h"

namespace tavrin::lighting {

inline constexpr int kGridRows = 6;
inline constexpr int kGridColumns = 23;
inline constexpr std::size_t kWheelSize = 192;

// The keys laid out in rows and columns (0 where there is none); wide keys take two cells.
const std::array<std::array<int, kGridColumns>, kGridRows>& KeyGrid();
// The 104 key buttons in a serpentine walk over the grid.
const std::array<int, 104>& SerpentineOrder();
Colour WheelColour(std::size_t entry);
// A colour at level 0–255.
Colour Scaled(Colour colour, int level);

// What the key buttons show: per lit button (its place in LitButtons()), a frame colour, or
// nothing for the key's normal look. `perKey` means the per-key colours of effect 19 show.
struct PreviewFrame {
    std::array<std::optional<Colour>, kLitButtonCount> colours{};
    bool perKey = false;
    bool Animated() const;
};

class LightingPreview {
public:
    // The working arrays of the simulated effects start over at the next tick (each effect
    // change); phase counters carry on.
    void Reset() { resetPending_ = true; }
    // One step of `state.mode`.
    PreviewFrame Tick(const LightingState& state);

    // Counters, for tests.
    unsigned Phase(int mode) const { return phases_[static_cast<std::size_t>(mode) % phases_.size()]; }

private:
    struct Cell {
        int level = 0;
        std::uint8_t colour = 0;  // an entry of the sparkle colours
    };
    using Grid = std::array<std::array<Cell, kGridColumns>, kGridRows>;

    unsigned& PhaseOf(int mode) { return phases_[static_cast<std::size_t>(mode)]; }
    unsigned Random();
    void ClearWorkingArrays();
    void Sparkle(PreviewFrame& frame, const LightingState& state);
    void Simulate(int mode, PreviewFrame& frame, const LightingState& state);

    std::array<unsigned, 20> phases_{};
    std::array<unsigned, 104> keyPhases_{};
    std::array<Cell, 104> sparkles_{};
    std::size_t nextSparkle_ = 0;
    Grid grid_{};
    struct Mover {
        int row = 0, column = 0, target = 0, age = 0;
        bool active = false;
        std::uint8_t colour = 0;
    };
    std::array<Mover, 4> movers_{};
    unsigned seed_ = 0x2545F491u;
    bool resetPending_ = true;
};

}  // namespace tavrin::lighting
