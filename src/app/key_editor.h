// The key editor: opened from a key button, a G button or the macro button of the main window, it
// edits one key record of the active profile in the working copy. Its pages set the key back to
// its default function, remap it to another key or a mouse function, assign a macro (the macro
// page, app/macro_page.h), a media function or a function key. Applying writes the working copy;
// the keyboard gets it with the main window's Apply. Modal over the main window, which closes it
// when the keyboard goes. Its decisions are the core's (model/key_editor_rules.h).
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRect>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/macro_page.h"
#include "model/key_editor_rules.h"
#include "model/language_texts.h"
#include "model/user_messages.h"
#include "profiles/profile_data.h"
#include "profiles/settings_store.h"
#include "ui/base_dialog.h"
#include "ui/png_button.h"

namespace tavrin::app {

// What the editor needs of the main window and the program.
struct KeyEditorHost {
    profiles::ProfileData* working = nullptr;
    int profile = 0;         // the block of the active profile
    std::size_t record = 0;  // 0 to 511 within that block
    int controlId = 0;       // the clicked button
    bool macroOnly = false;  // G9 and the macro button: the macro page only
    QRect buttonRect;        // the clicked button, in screen coordinates
    std::string title;       // the key's name
    model::LanguageTexts* texts = nullptr;
    model::UserMessages* messages = nullptr;
    profiles::FrameworkSettings* settings = nullptr;
    // After an apply: the main window refreshes its key buttons and enables its Apply.
    std::function<void()> applied;
    std::function<void()> help;
    // A monotonic clock in milliseconds; the steady clock when none is given.
    std::function<std::uint64_t()> clockMs;
};

class CTavrin_DlgComposite : public ui::CBaseDialog {
    Q_OBJECT
public:
    CTavrin_DlgComposite(
        QWidget* parent, const std::string& layoutFile, const std::string& skinFolder, KeyEditorHost host);
    ~CTavrin_DlgComposite() override;

    // Lays the editor out from its skin, shows the record's page and places the editor beside the
    // clicked button; false when its pictures are missing (the program ends).
    bool LayOut();
    // Open editors in the whole program.
    static int OpenCount() { return openCount_; }

    // The page shown and the kind that applying stores (they differ for a kind without a page).
    model::EditorPage ShownPage() const { return shown_; }
    std::uint16_t Kind() const { return kind_; }
    bool Modified() const { return modified_; }
    // As a click on that page's button.
    void ChoosePage(model::EditorPage page);
    void OnClear();
    void ApplyComposite();
    void OnOk();

    MacroPage& Macros() { return *macroPage_; }
    QLineEdit& KeyField() { return *keyField_; }
    QRadioButton& KeyboardChoice() { return *keyboardChoice_; }
    QRadioButton& MouseChoice() { return *mouseChoice_; }
    QComboBox& MouseList() { return *mouseList_; }
    QComboBox& MediaList() { return *mediaList_; }
    QComboBox& FunctionList() { return *functionList_; }
    ui::CPngButton* PageButton(model::EditorPage page) const;
    model::KeyCode CapturedKey() const { return capturedKey_; }

    // Sets every text in the chosen language.
    void SetTexts();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    ui::CPngButton* AddButton(const char* key, std::function<void()> command);
    template<typename Widget> Widget* AddControl(const char* key, Widget* widget);
    void SetPagePictures(model::EditorPage page);
    void ShowPage(model::EditorPage page);
    void Capture(model::KeyCode code);
    void SetModified();
    void PlaceBesideButton();
    std::string Text(const char* key) const { return host_.texts->Text(key); }
    std::uint64_t NowMs() const;

    KeyEditorHost host_;
    model::EditorPage shown_ = model::EditorPage::SingleKey;
    std::uint16_t kind_ = model::KIND_DEFAULT;
    model::KeyCode capturedKey_ = model::kNoKey;
    bool modified_ = false;
    bool counted_ = false;

    std::map<std::string, ui::CPngButton*> buttons_;
    std::unique_ptr<MacroPage> macroPage_;
    QLabel* title_ = nullptr;
    QLabel* keyHint_ = nullptr;  // the page's heading
    QLabel* singleHint_ = nullptr;
    QLabel* mediaHint_ = nullptr;
    QLabel* functionHint_ = nullptr;
    QLabel* keyboardLabel_ = nullptr;
    QLabel* mouseLabel_ = nullptr;
    QRadioButton* keyboardChoice_ = nullptr;
    QRadioButton* mouseChoice_ = nullptr;
    QLineEdit* keyField_ = nullptr;
    QComboBox* mouseList_ = nullptr;
    QComboBox* mediaList_ = nullptr;
    QComboBox* functionList_ = nullptr;
    static inline int openCount_ = 0;
};

}  // namespace tavrin::app
