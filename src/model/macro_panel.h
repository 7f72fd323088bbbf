// The macro page of the key editor as plain state and rules: a private copy of the macro list, the
// selected macro's action rows, recording key strokes into them, the row commands, and a history
// of every change for undo and redo. Nothing here touches the working copy; the editor commits the
// list when it applies (profiles/macro_commit.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/key_table.h"
#include "model/macro_record.h"

namespace tavrin::model {

// The delay every recorded event gets while delays are not recorded, in milliseconds.
inline constexpr std::uint32_t kFixedRecordDelay = 50;
// The delay of the press put in front of a key that reports its release only.
inline constexpr std::uint32_t kSingleEventPressDelay = 2;
// The longest undo history; the oldest step goes first.
inline constexpr std::size_t kUndoSteps = 200;

// Media and application keys: never recorded, always left to the desktop.
bool IsExcludedFromRecording(KeyCode code);

// A delay typed into a row: milliseconds rounded down to a multiple of 10; above 40000, negative
// or not a number at all is stored as 40000 and `tooLarge` asks for the limit's message.
struct DelayEdit {
    std::uint32_t stored = 0;
    bool tooLarge = false;

    bool operator==(const DelayEdit&) const = default;
};
DelayEdit ParseDelayText(std::string_view text);

// The cycles field's text as a count: 0 or less (and no number) is 1, 256 or more is 255.
std::uint8_t ClampCyclesText(std::string_view text);

// What became of a key event fed to the panel.
enum class KeyFeed {
    PassThrough,  // not recording, no key, or an excluded key: the desktop gets it
    Swallowed,    // an auto-repeat while recording: nobody gets it
    Recorded,     // recorded (or refused for want of room) and swallowed
};

enum class RowMove { Top, Up, Down, Bottom };

// A macro without the fixed-size arrays of MacroRecord: what the panel and its history keep, in
// proportion to the actions a macro has.
struct CompactMacro {
    std::u16string name;
    std::uint8_t cycles = 1;
    std::uint16_t isNew = 0;
    std::uint16_t playMode = 0;
    std::uint16_t id = 0;
    std::vector<MacroAction> actions;

    bool operator==(const CompactMacro&) const = default;
};

class MacroPanel {
public:
    // Copies `working` with isNew cleared in each copy and selects the macro with `selectId` (the
    // first one when none has it or it is 0; none when the list is empty). `newNamePrefix` is the
    // text that generated names start with.
    MacroPanel(const MacroList& working, std::uint16_t selectId, std::u16string newNamePrefix);

    // The list with the rows and cycles of the selected macro stored into it.
    MacroList Macros() const;
    std::size_t MacroCount() const { return macros_.size(); }
    std::u16string NameAt(std::size_t index) const;
    std::optional<std::size_t> Selected() const { return selected_; }
    // The id of the selected macro; 0 when none is selected.
    std::uint16_t SelectedId() const;
    const std::vector<MacroAction>& Rows() const { return rows_; }
    std::optional<std::size_t> SelectedRow() const { return selectedRow_; }
    std::uint8_t Cycles() const { return cycles_; }
    bool Modified() const { return modified_; }
    void ClearModified() { modified_ = false; }
    bool Recording() const { return recording_; }
    bool RecordDelays() const { return recordDelays_; }
    void SetRecordDelays(bool on) { recordDelays_ = on; }

    // The list's choices. Selecting stores the rows into the macro selected before.
    void SelectMacro(std::size_t index);
    // Renames the selected macro (cut to 249 units); with an empty list, creates a macro of that
    // name with the smallest free id and selects it. Renames one after the other of the same
    // macro are one step in the history.
    void Rename(std::u16string_view name);
    // Appends a macro with the next generated name and selects it; false when the list holds 100
    // already (the caller shows the limit's message).
    bool AddMacro();
    // Deletes the selected macro. For a macro that was in the working copy (not new) and is played
    // by a key, `confirmPlayed(id)` is asked first and false keeps it. The selection moves to the
    // entry before, or to the first. False when nothing was deleted.
    bool DeleteSelectedMacro(const std::function<bool(std::uint16_t id)>& confirmPlayed);

    // Recording. `nowMs` is a monotonic clock in milliseconds. A whole recording, from start to
    // stop, is one step in the history.
    void StartRecording(std::uint64_t nowMs);
    void StopRecording();
    KeyFeed FeedKey(KeyCode code, bool release, bool autoRepeat, std::uint64_t nowMs);
    // A press and a release of mouse button entry 0 (left), 1 (right) or 2 (middle); nothing for
    // another entry or without a selected macro.
    void InsertMouseClick(int entry, std::uint64_t nowMs);

    // The rows.
    void SelectRow(std::optional<std::size_t> row);
    void SetRowKey(std::size_t row, KeyCode code);
    void SetRowRelease(std::size_t row, bool release);
    DelayEdit SetRowDelay(std::size_t row, std::string_view text);
    void DeleteSelectedRow();
    void ClearRows();  // the caller has asked
    void MoveSelectedRow(RowMove move);
    // Sets the selected macro's cycles from the field's text; returns the value the field shows.
    // Changes one after the other are one step in the history.
    std::uint8_t SetCyclesText(std::string_view text);

    // Undo and redo of every change above, until the editor applies or closes. A running
    // recording is stopped first.
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    bool Undo();
    bool Redo();

private:
    struct Snapshot {
        std::vector<CompactMacro> macros;
        std::optional<std::size_t> selected;
        std::vector<MacroAction> rows;
        std::optional<std::size_t> selectedRow;
        std::uint8_t cycles = 1;
    };
    // Which kind of change the last history step was, so that typing runs and the events of one
    // recording merge into one step.
    enum class StepKind { Other, Rename, Cycles, Recording };

    void Load(std::optional<std::size_t> index);
    void StoreRows();
    void InsertAction(MacroAction action, std::uint32_t rawDelay);
    // Whether a new row fits into the selected macro.
    bool RoomForRows() const;
    // Pushes the state before a change onto the undo history and clears redo.
    void BeginStep(StepKind kind);
    void PushUndo(Snapshot snapshot);
    Snapshot Take() const;
    // The time since the last recorded event, which becomes now.
    std::uint32_t Elapsed(std::uint64_t nowMs);
    void Restore(const Snapshot& snapshot);

    std::vector<CompactMacro> macros_;
    std::optional<std::size_t> selected_;
    std::vector<MacroAction> rows_;
    std::optional<std::size_t> selectedRow_;
    std::uint8_t cycles_ = 1;
    bool modified_ = false;
    bool recordDelays_ = false;
    bool recording_ = false;
    std::uint64_t lastEventMs_ = 0;
    unsigned newNameCounter_ = 0;
    std::u16string newNamePrefix_;
    std::vector<Snapshot> undo_;
    std::vector<Snapshot> redo_;
    StepKind lastStep_ = StepKind::Other;
    std::optional<std::size_t> stepSelection_;  // the macro the last step changed
};

}  // namespace tavrin::model
