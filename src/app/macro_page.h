// The key editor's macro page: the macro list with its name field, the action rows with their
// in-place editors, recording, the row commands, the cycles field, the record-delays option, and
// undo and redo. A view over model::MacroPanel, which holds the state and makes every decision.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/language_texts.h"
#include "model/macro_panel.h"
#include "model/user_messages.h"
#include "profiles/settings_store.h"
#include "ui/png_button.h"

namespace tavrin::app {

// What the macro page needs of the editor and the program.
struct MacroPageHost {
    model::LanguageTexts* texts = nullptr;
    model::UserMessages* messages = nullptr;
    profiles::FrameworkSettings* settings = nullptr;
    // Whether a key of the active profile plays the macro with that id.
    std::function<bool(std::uint16_t id)> keysPlayMacro;
    // A monotonic clock in milliseconds.
    std::function<std::uint64_t()> clockMs;
    // Something on the page changed.
    std::function<void()> changed;
};

// The page's controls, placed by the editor from its skin.
struct MacroPageControls {
    QLabel* nameLabel = nullptr;
    QComboBox* names = nullptr;
    QTreeWidget* rows = nullptr;
    ui::CPngButton* add = nullptr;
    ui::CPngButton* remove = nullptr;
    ui::CPngButton* record = nullptr;
    ui::CPngButton* toTop = nullptr;
    ui::CPngButton* up = nullptr;
    ui::CPngButton* down = nullptr;
    ui::CPngButton* toBottom = nullptr;
    ui::CPngButton* deleteRow = nullptr;
    ui::CPngButton* clearRows = nullptr;
    ui::CPngButton* undo = nullptr;
    ui::CPngButton* redo = nullptr;
    QComboBox* mouseClicks = nullptr;
    QCheckBox* recordDelays = nullptr;
    QLabel* recordDelaysLabel = nullptr;
    QLabel* cyclesLabel = nullptr;
    QLineEdit* cycles = nullptr;
};

class MacroPage : public QObject {
    Q_OBJECT
public:
    // Copies the working list (its lock held by the caller) and selects the macro with `selectId`.
    MacroPage(MacroPageControls controls, MacroPageHost host, const model::MacroList& working, std::uint16_t selectId);
    ~MacroPage() override;

    model::MacroPanel& Panel() { return *panel_; }
    const MacroPageControls& Controls() const { return controls_; }
    // Starts afresh from the working list, as after an apply: the history is gone.
    void Reset(const model::MacroList& working);

    void SetTexts();
    void SetVisible(bool visible);
    // Shows the panel's state in the controls.
    void Refresh();

    void OnAdd();
    void OnDelete();
    void OnRecord();
    void StopRecording();
    void OnClearRows();
    void OnUndo();
    void OnRedo();
    // A key event of the editor's window while recording; true when it was swallowed.
    bool FeedKey(model::KeyCode code, bool release, bool autoRepeat);
    // Edits the cell of the selected row in place (column 0 key, 1 press or release, 2 delay).
    void EditCell(int column);

private:
    void Connect();
    void FillNames();
    void FillRows();
    void UpdateEnables();
    void Changed();
    void CloseCellEditor();
    void ChangedLater(QWidget* editor);
    std::string Text(const char* key) const { return host_.texts->Text(key); }
    std::string RecordDelaysEntry() const;
    // The language text with the number put in, or as it stands when its format is not one.
    std::string Formatted(const char* key, unsigned number) const;

    MacroPageControls controls_;
    MacroPageHost host_;
    std::unique_ptr<model::MacroPanel> panel_;
    QWidget* cellEditor_ = nullptr;
    bool filling_ = false;
};

}  // namespace tavrin::app
