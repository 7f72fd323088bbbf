// The key editor's decisions as plain functions: which record a clicked button edits, which page
// and choices the editor opens with, which key presses the single-key page captures, what an
// apply stores, and where the editor is placed beside the clicked button.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "model/key_record.h"
#include "model/key_table.h"

namespace tavrin::model {

// The editor's pages, by the kind each stores.
enum class EditorPage : std::uint16_t {
    Default = KIND_DEFAULT,
    SingleKey = KIND_KEY,
    Macro = KIND_MACRO,
    Media = KIND_MEDIA,
    FunctionKey = KIND_FUNCTION,
};

// The G9 button: it and the main window's macro button open the editor on the macro page only.
inline constexpr int kG9ButtonId = 1143;

// The record of the active profile's block that a key button, G button (of `bank`) or Fn edits;
// nothing for any other button.
std::optional<std::size_t> EditedRecordOfButton(int controlId, int bank);

// What the editor shows when it opens on a record.
struct EditorOpening {
    std::uint16_t kind = KIND_DEFAULT;         // the kind being edited: the record's, or 4 in macro-only mode
    EditorPage shown = EditorPage::SingleKey;  // the page shown; the single-key page for a kind without one
    bool mouseChosen = false;                  // the single-key page's mouse button is chosen
    int mouseEntry = 0;                        // the mouse function list's entry
    KeyCode capturedKey = kNoKey;              // the single-key page's key
    int mediaEntry = 0;
    int functionEntry = 0;
    std::uint16_t macroId = 0;  // the macro to select (the first when 0 or unknown)

    bool operator==(const EditorOpening&) const = default;
};
EditorOpening OpenEditorOn(const KeyRecord& record, bool macroOnly);

// Which key events the single-key page takes.
enum class Capture {
    PassThrough,  // media and application keys: the desktop gets them
    Ignore,       // swallowed without effect
    Take,         // the key becomes the captured key
};
Capture CaptureOf(KeyCode code, bool release, bool autoRepeat, bool keyboardChosen);

// The editor's choices when it applies.
struct EditorChoices {
    std::uint16_t kind = KIND_DEFAULT;  // the page, or the record's own kind when it has no page
    bool mouseChosen = false;
    KeyCode capturedKey = kNoKey;
    int mouseEntry = 0;
    bool haveMacros = false;
    std::uint16_t macroId = 0;
    std::uint8_t cycles = 1;
    int mediaEntry = 0;
    int functionEntry = 0;
};

struct Assignment {
    std::uint16_t kind = KIND_DEFAULT;
    std::uint16_t aux = 0;
    std::uint32_t value = 0;

    bool operator==(const Assignment&) const = default;
};
// What applying stores into `record` (0 to 511) of the active profile's block.
Assignment AssignmentOf(std::size_t record, const EditorChoices& choices);

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
};
struct ScreenPoint {
    int x = 0;
    int y = 0;

    bool operator==(const ScreenPoint&) const = default;
};
// Where the editor of that size goes beside the clicked button: to its right when it fits there,
// else to its left when it fits there, else to its right; with its top at the button's bottom when
// it fits, else with its bottom at the button's top when that fits, else below and on the right.
ScreenPoint PlaceBeside(const ScreenRect& button, int width, int height, const ScreenRect& screen);

}  // namespace tavrin::model
