// Per-key colours of effect 19: which light each key button has, the colour table of the four
// profile slots as the keyboard stores it, the base-colour marks, the two brushes, and what
// painting, a base colour change, a layout choice and the defaults change and send.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/device_memory.h"
#include "lighting/lighting_controls.h"
#include "lighting/lighting_state.h"

namespace tavrin::lighting {

inline constexpr int kGKeyLed = 125;  // the nine G buttons share it
inline constexpr int kFnLed = 110;
inline constexpr int kLedsPerChunk = 18;
inline constexpr int kChunkBytes = kLedsPerChunk * 3;
inline constexpr int kChunksSent = 8;   // LEDs 0–143
inline constexpr int kChunksRead = 10;  // LEDs 0–179
inline constexpr std::size_t kSlotCount = device::kColourSlotCount;

// A button of the keyboard picture that has a light: the 104 keys in the button order, then the G
// buttons (G1 first), then Fn.
struct LitButton {
    int controlId;
    int led;
};
inline constexpr std::size_t kLitButtonCount = 104 + 9 + 1;
const std::array<LitButton, kLitButtonCount>& LitButtons();
// The LED of a key or Fn button; nothing for a G button (it cannot be painted) or anything else.
std::optional<int> PaintableLedOf(int controlId);

enum class Brush { Paint = 0, Base = 1 };

// Bytes for the per-key colour area of the current profile from LED `firstLed` on.
struct ColourWrite {
    int firstLed = 0;
    std::vector<std::uint8_t> bytes;
    bool operator==(const ColourWrite&) const = default;
};

// A key entry of a user layout.
struct KeyEntry {
    int led = 0;
    Colour colour = 0;
    bool mark = false;
    bool operator==(const KeyEntry&) const = default;
};

class KeyColours {
public:
    KeyColours();

    Colour ColourAt(std::size_t slot, int led) const;
    void SetColour(std::size_t slot, int led, Colour colour);
    std::span<const std::uint8_t, device::kColourSlotSize> Slot(std::size_t slot) const;
    std::span<std::uint8_t, device::kColourSlotSize> Slot(std::size_t slot);

    // Mark of lit button `place` (its index in LitButtons()).
    bool Mark(std::size_t slot, std::size_t place) const { return marks_[slot][place] != 0; }
    void SetMark(std::size_t slot, std::size_t place, bool mark) { marks_[slot][place] = mark ? 1 : 0; }

    // The keyboard's reply to chunk `chunk` of `slot`: only bytes inside the slot are kept.
    void StoreReadChunk(std::size_t slot, int chunk, std::span<const std::uint8_t> bytes);

    // Marks from colours: a key follows the base colour when it shows it. `baseColours` holds the
    // base colour of each slot.
    void RebuildMarks(const std::array<Colour, kSlotCount>& baseColours);

private:
    std::array<std::uint8_t, device::kColourAreaSize> table_{};
    std::array<std::array<std::uint8_t, kLitButtonCount>, kSlotCount> marks_{};
};

// Chunks 0–7 of a slot: the whole per-key colour sending.
std::vector<ColourWrite> ChunksOf(const KeyColours& colours, std::size_t slot);

// What a per-key change did: what to send (colour writes first, then settings writes, each set
// bracketed), which entries the selected layout's file gets, and which buttons show a new colour.
struct PerKeyOutcome {
    std::vector<ColourWrite> colourWrites;
    std::vector<SettingsWrite> settingsWrites;
    std::vector<KeyEntry> entries;
    std::vector<int> repainted;  // control identifiers
    bool Changed() const { return !colourWrites.empty() || !settingsWrites.empty() || !entries.empty(); }
};

// A click on a key or Fn button with `brush`; nothing for a G button or any other control.
PerKeyOutcome PaintKey(KeyColours& colours, std::size_t slot, int controlId, Brush brush, const LightingState& state);
// A new base colour: every marked key takes it, the slot is sent and the record's base colour
// written. Nothing when it is the current base colour.
PerKeyOutcome SetBaseColour(KeyColours& colours, std::size_t slot, LightingState& state, Colour colour);
// The default colours for `slot`, base colour black, the black keys and Fn marked.
PerKeyOutcome RestoreKeyColourDefaults(KeyColours& colours, std::size_t slot, LightingState& state);
// Keys given their own colours at once (as the paint brush gives them), sent as the whole slot.
struct KeyPaint {
    int controlId;
    Colour colour;
};
PerKeyOutcome PaintKeys(KeyColours& colours, std::size_t slot, const std::vector<KeyPaint>& paints);
// A user layout's entries (one per lit key button and Fn, as read from its file) into `slot`.
PerKeyOutcome TakeLayout(KeyColours& colours, std::size_t slot, const std::vector<KeyEntry>& entries);

}  // namespace tavrin::lighting
