#include "model/key_editor_rules.h"

#include "model/assignable_functions.h"
#include "model/macro_panel.h"

namespace tavrin::model {
namespace {

constexpr KeyCode kPrintScreen = 0x137;
// The Windows keys and the menu key: taken whatever the page's choice, so that the desktop never
// opens its menus for them while the editor waits for a key.
constexpr KeyCode kLeftWindows = 0x15B;
constexpr KeyCode kRightWindows = 0x15C;
constexpr KeyCode kMenuKey = 0x15D;

constexpr std::size_t kLastGRecord = kFirstGRecord + 2 * kGRecordsPerBank - 1;

bool IsGRecord(std::size_t record)
{
    return record >= kFirstGRecord && record <= kLastGRecord;
}

}  // namespace

std::optional<std::size_t> EditedRecordOfButton(int controlId, int bank)
{
    if (const std::optional<int> g = GIndexOfButton(controlId))
        return GRecord(*g, bank == 1 ? 1 : 0);
    if (const std::optional<KeyCode> code = KeyCodeOfButton(controlId))
        return IndexFromCode(*code);
    return std::nullopt;  // Fn and the other buttons edit nothing
}

EditorOpening OpenEditorOn(const KeyRecord& record, bool macroOnly)
{
    EditorOpening opening;
    opening.kind = macroOnly ? static_cast<std::uint16_t>(KIND_MACRO) : record.kind;
    switch (opening.kind) {
    case KIND_MACRO:
        opening.shown = EditorPage::Macro;
        break;
    case KIND_MEDIA:
        opening.shown = EditorPage::Media;
        break;
    case KIND_FUNCTION:
        opening.shown = EditorPage::FunctionKey;
        break;
    default:
        opening.shown = EditorPage::SingleKey;
        break;
    }
    const std::uint32_t value = record.value;
    if (record.kind == KIND_KEY && !macroOnly) {
        if (const std::optional<int> mouse = MouseIndexOfCode(static_cast<KeyCode>(value)); mouse && value <= 0xFFFF) {
            opening.mouseChosen = true;
            opening.mouseEntry = *mouse;
        } else {
            opening.capturedKey = value <= 0xFFFF ? static_cast<KeyCode>(value) : kNoKey;
        }
    }
    if (record.kind == KIND_MEDIA && value < kMediaFunctionCount)
        opening.mediaEntry = static_cast<int>(value);
    if (record.kind == KIND_FUNCTION && value < kFunctionKeyCount)
        opening.functionEntry = static_cast<int>(value);
    if (record.kind == KIND_MACRO)
        opening.macroId = static_cast<std::uint16_t>(value);
    return opening;
}

Capture CaptureOf(KeyCode code, bool release, bool autoRepeat, bool keyboardChosen)
{
    if (code == kNoKey || IsExcludedFromRecording(code))
        return Capture::PassThrough;
    if (code == kLeftWindows || code == kRightWindows || code == kMenuKey)
        return Capture::Take;
    const bool freshPress = !release && !autoRepeat;
    if (!keyboardChosen || (!freshPress && code != kPrintScreen))
        return Capture::Ignore;
    return Capture::Take;
}

Assignment AssignmentOf(std::size_t record, const EditorChoices& choices)
{
    Assignment assignment;
    assignment.kind = choices.kind;
    if (IsGRecord(record)) {
        const std::size_t g = record - kFirstGRecord;
        assignment.aux = GCode(static_cast<int>(g % kGRecordsPerBank), static_cast<int>(g / kGRecordsPerBank));
    }
    switch (choices.kind) {
    case KIND_KEY:
        if (choices.mouseChosen) {
            const std::optional<MouseFunctionEntry> mouse = MouseFunction(choices.mouseEntry);
            if (mouse)
                assignment.value = mouse->code;
            else
                assignment.kind = KIND_DEFAULT;
        } else if (choices.capturedKey == kNoKey || IndexFromCode(choices.capturedKey) == record) {
            assignment.kind = KIND_DEFAULT;  // nothing captured, or the key mapped onto itself
        } else {
            assignment.value = choices.capturedKey;
        }
        break;
    case KIND_MACRO:
        if (choices.haveMacros && choices.macroId != 0) {
            assignment.value = choices.macroId;
            assignment.aux = choices.cycles;
        } else {
            assignment.kind = KIND_DEFAULT;
        }
        break;
    case KIND_MEDIA:
        assignment.value = static_cast<std::uint32_t>(choices.mediaEntry);
        break;
    case KIND_FUNCTION:
        assignment.value = static_cast<std::uint32_t>(choices.functionEntry);
        break;
    default:
        break;  // the default function, or a kind without a page, which keeps its kind with value 0
    }
    return assignment;
}

ScreenPoint PlaceBeside(const ScreenRect& button, int width, int height, const ScreenRect& screen)
{
    const bool fitsRight = button.Right() + width <= screen.Right();
    const bool fitsLeft = button.x - width >= screen.x;
    const bool fitsBelow = button.Bottom() + height <= screen.Bottom();
    const bool fitsAbove = button.y - height >= screen.y;
    ScreenPoint place;
    place.x = fitsRight || !fitsLeft ? button.Right() : button.x - width;
    if (fitsBelow) {
        place.y = button.Bottom();
    } else if (fitsAbove) {
        place.y = button.y - height;
    } else {
        place.y = button.Bottom();
        place.x = button.Right();
    }
    return place;
}

}  // namespace tavrin::model
