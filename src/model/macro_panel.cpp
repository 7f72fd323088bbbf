#include "model/macro_panel.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <utility>

namespace tavrin::model {
namespace {

constexpr std::array<KeyCode, 18> kExcludedKeys = {0x120, 0x130, 0x12E, 0x124, 0x122, 0x119, 0x110, 0x16D, 0x132, 0x167,
    0x168, 0x16A, 0x169, 0x166, 0x165, 0x16B, 0x121, 0x16C};

constexpr std::array<KeyCode, 3> kClickButtons = {kMouseLeft, kMouseRight, kMouseMiddle};

// A decimal number at the start of `text` (after spaces, with an optional sign), saturated far
// beyond any limit here; nothing when there is no digit.
std::optional<long long> LeadingNumber(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    if (at >= text.size() || text[at] < '0' || text[at] > '9')
        return std::nullopt;
    constexpr long long kSaturation = 1'000'000'000;
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(value * 10 + (text[at] - '0'), kSaturation);
    return negative ? -value : value;
}

std::u16string CutName(std::u16string_view name)
{
    std::size_t length = std::min(name.size(), kMacroNameUnits - 1);
    // A high surrogate whose partner was cut off goes too.
    if (length > 0 && length < name.size() && name[length - 1] >= 0xD800 && name[length - 1] <= 0xDBFF)
        --length;
    return std::u16string(name.substr(0, length));
}

char16_t Folded(char16_t unit)
{
    return static_cast<char16_t>(std::towlower(static_cast<wint_t>(unit)));
}

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t n = 0; n < prefix.size(); ++n)
        if (Folded(text[n]) != Folded(prefix[n]))
            return false;
    return true;
}

std::uint16_t SmallestFreeId(const std::vector<CompactMacro>& macros)
{
    for (std::uint16_t id = 1; id <= kMaxMacros; ++id)
        if (std::none_of(macros.begin(), macros.end(), [id](const CompactMacro& m) { return m.id == id; }))
            return id;
    return 0;
}

CompactMacro Compact(const MacroRecord& record)
{
    CompactMacro macro;
    macro.name = MacroName(record);
    macro.cycles = record.cycles;
    macro.playMode = record.playMode;
    macro.id = record.id;
    const std::size_t count = std::min<std::size_t>(record.actionCount, kMaxMacroActions);
    macro.actions.assign(record.actions, record.actions + count);
    return macro;
}

CompactMacro NewMacro(std::u16string_view name, std::uint16_t id)
{
    CompactMacro macro;
    macro.name = CutName(name);
    macro.cycles = 1;
    macro.isNew = 1;
    macro.id = id;
    return macro;
}

}  // namespace

bool IsExcludedFromRecording(KeyCode code)
{
    return std::find(kExcludedKeys.begin(), kExcludedKeys.end(), code) != kExcludedKeys.end();
}

DelayEdit ParseDelayText(std::string_view text)
{
    const std::optional<long long> number = LeadingNumber(text);
    if (!number || *number < 0 || *number > static_cast<long long>(kMaxMacroDelay))
        return {kMaxMacroDelay, true};
    return {static_cast<std::uint32_t>(*number / 10 * 10), false};
}

std::uint8_t ClampCyclesText(std::string_view text)
{
    const long long number = LeadingNumber(text).value_or(0);
    return static_cast<std::uint8_t>(std::clamp<long long>(number, 1, 255));
}

MacroPanel::MacroPanel(const MacroList& working, std::uint16_t selectId, std::u16string newNamePrefix)
    : newNamePrefix_(std::move(newNamePrefix))
{
    macros_.reserve(working.size());
    for (const MacroRecord& record : working)
        macros_.push_back(Compact(record));  // isNew cleared: everything here was there before
    if (macros_.empty()) {
        Load(std::nullopt);
        return;
    }
    const auto found = std::find_if(macros_.begin(), macros_.end(),
        [selectId](const CompactMacro& m) { return selectId != 0 && m.id == selectId; });
    Load(found == macros_.end() ? 0 : static_cast<std::size_t>(found - macros_.begin()));
}

MacroList MacroPanel::Macros() const
{
    MacroList list;
    list.reserve(macros_.size());
    for (std::size_t index = 0; index < macros_.size(); ++index) {
        const CompactMacro& macro = macros_[index];
        const bool selected = selected_ == index;
        const std::vector<MacroAction>& actions = selected ? rows_ : macro.actions;
        MacroRecord record = EmptyMacroRecord();
        SetMacroName(record, macro.name);
        record.cycles = selected ? cycles_ : macro.cycles;
        record.isNew = macro.isNew;
        record.playMode = macro.playMode;
        record.id = macro.id;
        record.actionCount = static_cast<std::uint16_t>(std::min(actions.size(), kMaxMacroActions));
        std::copy_n(actions.begin(), record.actionCount, record.actions);
        list.push_back(record);
    }
    return list;
}

std::u16string MacroPanel::NameAt(std::size_t index) const
{
    return index < macros_.size() ? macros_[index].name : std::u16string();
}

std::uint16_t MacroPanel::SelectedId() const
{
    return selected_ ? macros_[*selected_].id : 0;
}

void MacroPanel::Load(std::optional<std::size_t> index)
{
    selected_ = index && *index < macros_.size() ? index : std::nullopt;
    selectedRow_.reset();
    rows_ = selected_ ? macros_[*selected_].actions : std::vector<MacroAction>{};
    cycles_ = selected_ ? macros_[*selected_].cycles : 1;
}

void MacroPanel::StoreRows()
{
    if (!selected_)
        return;
    macros_[*selected_].actions = rows_;
    macros_[*selected_].cycles = cycles_;
}

void MacroPanel::SelectMacro(std::size_t index)
{
    if (index >= macros_.size() || selected_ == index)
        return;
    // Looking at another macro changes nothing, so it is no step of its own; but typing in the
    // name or cycles field afterwards starts a new one.
    StoreRows();
    Load(index);
    lastStep_ = StepKind::Other;
}

void MacroPanel::Rename(std::u16string_view name)
{
    if (!selected_) {
        const std::uint16_t id = SmallestFreeId(macros_);
        if (id == 0)
            return;
        BeginStep(StepKind::Other);
        macros_.push_back(NewMacro(name, id));
        Load(macros_.size() - 1);
        lastStep_ = StepKind::Rename;
        stepSelection_ = selected_;
        modified_ = true;
        return;
    }
    std::u16string cut = CutName(name);
    if (cut == macros_[*selected_].name)
        return;
    BeginStep(StepKind::Rename);
    macros_[*selected_].name = std::move(cut);
    modified_ = true;
}

bool MacroPanel::AddMacro()
{
    if (macros_.size() >= kMaxMacros)
        return false;
    const std::uint16_t id = SmallestFreeId(macros_);
    if (id == 0)
        return false;
    if (macros_.empty())
        newNameCounter_ = 0;
    std::u16string name;
    do {
        ++newNameCounter_;
        const std::string number = std::to_string(newNameCounter_);
        name = newNamePrefix_ + std::u16string(number.begin(), number.end());
    } while (std::any_of(macros_.begin(), macros_.end(),
        [&name](const CompactMacro& m) { return StartsWithIgnoringCase(m.name, name); }));
    BeginStep(StepKind::Other);
    StoreRows();
    macros_.push_back(NewMacro(name, id));
    Load(macros_.size() - 1);
    modified_ = true;
    return true;
}

bool MacroPanel::DeleteSelectedMacro(const std::function<bool(std::uint16_t id)>& confirmPlayed)
{
    if (!selected_)
        return false;
    const CompactMacro& macro = macros_[*selected_];
    if (!macro.isNew && confirmPlayed && !confirmPlayed(macro.id))
        return false;
    BeginStep(StepKind::Other);
    const std::size_t removed = *selected_;
    macros_.erase(macros_.begin() + static_cast<std::ptrdiff_t>(removed));
    selected_.reset();
    Load(macros_.empty() ? std::nullopt : std::optional<std::size_t>(removed == 0 ? 0 : removed - 1));
    modified_ = true;
    return true;
}

void MacroPanel::StartRecording(std::uint64_t nowMs)
{
    if (recording_)
        return;
    recording_ = true;
    lastEventMs_ = nowMs;
    // The first event recorded opens this recording's step; one that records nothing leaves none.
    lastStep_ = StepKind::Other;
}

void MacroPanel::StopRecording()
{
    recording_ = false;
}

KeyFeed MacroPanel::FeedKey(KeyCode code, bool release, bool autoRepeat, std::uint64_t nowMs)
{
    if (!recording_ || code == kNoKey || IsExcludedFromRecording(code))
        return KeyFeed::PassThrough;
    if (!release && autoRepeat)
        return KeyFeed::Swallowed;
    // Without a macro or room for a row the key is still kept from the desktop.
    if (!RoomForRows())
        return KeyFeed::Recorded;
    BeginStep(StepKind::Recording);
    if (IsReleaseOnlyKey(code))
        InsertAction({0, code, 0}, kSingleEventPressDelay);
    InsertAction({0, code, static_cast<std::uint16_t>(release ? 1 : 0)}, Elapsed(nowMs));
    return KeyFeed::Recorded;
}

std::uint32_t MacroPanel::Elapsed(std::uint64_t nowMs)
{
    const std::uint64_t elapsed = nowMs > lastEventMs_ ? nowMs - lastEventMs_ : 0;
    lastEventMs_ = nowMs;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(elapsed, kMaxMacroDelay));
}

void MacroPanel::InsertMouseClick(int entry, std::uint64_t nowMs)
{
    if (!RoomForRows() || entry < 0 || entry >= static_cast<int>(kClickButtons.size()))
        return;
    BeginStep(StepKind::Other);
    const KeyCode button = kClickButtons[static_cast<std::size_t>(entry)];
    const std::uint32_t delay = Elapsed(nowMs);
    InsertAction({0, button, 0}, delay);
    InsertAction({0, button, 1}, delay);
}

bool MacroPanel::RoomForRows() const
{
    return selected_ && rows_.size() < kMaxMacroActions;
}

void MacroPanel::InsertAction(MacroAction action, std::uint32_t rawDelay)
{
    if (!RoomForRows())
        return;
    const std::uint32_t delay = recordDelays_ ? rawDelay : kFixedRecordDelay;
    const std::size_t at = selectedRow_ && *selectedRow_ < rows_.size() ? *selectedRow_ + 1 : rows_.size();
    // Each row's delay is the time to the next one: the row above now waits for the new row, which
    // waits as long as the row above waited before.
    if (at == 0) {
        action.delay = 0;
    } else {
        action.delay = rows_[at - 1].delay;
        rows_[at - 1].delay = delay;
    }
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), action);
    selectedRow_ = at;
    modified_ = true;
}

void MacroPanel::SelectRow(std::optional<std::size_t> row)
{
    selectedRow_ = row && *row < rows_.size() ? row : std::nullopt;
}

void MacroPanel::SetRowKey(std::size_t row, KeyCode code)
{
    if (row >= rows_.size() || rows_[row].key == code)
        return;
    BeginStep(StepKind::Other);
    rows_[row].key = code;
    modified_ = true;
}

void MacroPanel::SetRowRelease(std::size_t row, bool release)
{
    const std::uint16_t flag = release ? 1 : 0;
    if (row >= rows_.size() || rows_[row].release == flag)
        return;
    BeginStep(StepKind::Other);
    rows_[row].release = flag;
    modified_ = true;
}

DelayEdit MacroPanel::SetRowDelay(std::size_t row, std::string_view text)
{
    const DelayEdit edit = ParseDelayText(text);
    if (row >= rows_.size())
        return edit;
    if (rows_[row].delay != edit.stored) {
        BeginStep(StepKind::Other);
        rows_[row].delay = edit.stored;
    }
    modified_ = true;
    return edit;
}

void MacroPanel::DeleteSelectedRow()
{
    if (!selectedRow_ || *selectedRow_ >= rows_.size())
        return;
    BeginStep(StepKind::Other);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*selectedRow_));
    if (rows_.empty())
        selectedRow_.reset();
    else
        selectedRow_ = std::min(*selectedRow_, rows_.size() - 1);
    modified_ = true;
}

void MacroPanel::ClearRows()
{
    if (rows_.empty())
        return;
    BeginStep(StepKind::Other);
    rows_.clear();
    selectedRow_.reset();
    modified_ = true;
}

void MacroPanel::MoveSelectedRow(RowMove move)
{
    if (!selectedRow_ || *selectedRow_ >= rows_.size())
        return;
    const std::size_t from = *selectedRow_;
    const std::size_t last = rows_.size() - 1;
    std::size_t to = from;
    switch (move) {
    case RowMove::Top:
        to = 0;
        break;
    case RowMove::Up:
        to = from == 0 ? 0 : from - 1;
        break;
    case RowMove::Down:
        to = std::min(from + 1, last);
        break;
    case RowMove::Bottom:
        to = last;
        break;
    }
    if (to == from)
        return;
    BeginStep(StepKind::Other);
    const MacroAction moved = rows_[from];
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(from));
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(to), moved);
    selectedRow_ = to;
    modified_ = true;
}

std::uint8_t MacroPanel::SetCyclesText(std::string_view text)
{
    const std::uint8_t cycles = ClampCyclesText(text);
    if (!selected_ || cycles == cycles_)
        return cycles;
    BeginStep(StepKind::Cycles);
    cycles_ = cycles;
    modified_ = true;
    return cycles;
}

MacroPanel::Snapshot MacroPanel::Take() const
{
    Snapshot snapshot{macros_, selected_, rows_, selectedRow_, cycles_};
    return snapshot;
}

void MacroPanel::Restore(const Snapshot& snapshot)
{
    macros_ = snapshot.macros;
    selected_ = snapshot.selected;
    rows_ = snapshot.rows;
    selectedRow_ = snapshot.selectedRow;
    cycles_ = snapshot.cycles;
}

void MacroPanel::PushUndo(Snapshot snapshot)
{
    lastStep_ = StepKind::Other;
    undo_.push_back(std::move(snapshot));
    if (undo_.size() > kUndoSteps)
        undo_.erase(undo_.begin());
    redo_.clear();
}

void MacroPanel::BeginStep(StepKind kind)
{
    // Typing into the name or the cycles field is one step, however many keys it took.
    // So are the events of one recording.
    const bool continues
        = kind != StepKind::Other && kind == lastStep_ && stepSelection_ == selected_ && !undo_.empty();
    if (!continues)
        PushUndo(Take());
    lastStep_ = kind;
    stepSelection_ = selected_;
}

bool MacroPanel::Undo()
{
    StopRecording();
    if (undo_.empty())
        return false;
    redo_.push_back(Take());
    Restore(undo_.back());
    undo_.pop_back();
    lastStep_ = StepKind::Other;
    modified_ = true;
    return true;
}

bool MacroPanel::Redo()
{
    StopRecording();
    if (redo_.empty())
        return false;
    undo_.push_back(Take());
    Restore(redo_.back());
    redo_.pop_back();
    lastStep_ = StepKind::Other;
    modified_ = true;
    return true;
}

}  // namespace tavrin::model
