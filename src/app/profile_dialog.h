// The profile dialog: profile files in a list of three columns (active, name, path), with Add,
// Load and Delete, and Apply/OK making the checked row's position the keyboard's active profile.
// Modal over the main window; the main window closes it when the keyboard goes.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <optional>

#include "model/language_texts.h"
#include "model/user_messages.h"
#include "profiles/profile_list.h"
#include "ui/base_dialog.h"
#include "ui/png_button.h"

namespace tavrin::app {

// What the dialog needs of the program.
struct ProfileDialogHost {
    std::string profileFolder;  // with a trailing separator
    std::string workingFile;
    int activeProfile = -1;
    profiles::FrameworkSettings* settings = nullptr;
    model::LanguageTexts* texts = nullptr;
    model::UserMessages* messages = nullptr;
    // Makes the position the keyboard's active profile, reloads from the keyboard and rebuilds the
    // profile menu; nothing checked writes no profile. Returns what to tell the user on failure.
    std::function<std::string(std::optional<int> active)> apply;
    std::function<void()> help;
};

class CTavrin_DlgProfile : public ui::CBaseDialog {
    Q_OBJECT
public:
    CTavrin_DlgProfile(
        QWidget* parent, const std::string& layoutFile, const std::string& skinFolder, ProfileDialogHost host);

    // Lays the dialog out from its skin; false when its pictures are missing (the program ends).
    bool LayOut();
    // Open dialogs in the whole program.
    static int OpenCount() { return openCount_; }

    const profiles::ProfileList& List() const { return list_; }
    QTreeWidget& Table() { return *table_; }
    // A profile became active elsewhere: its row is checked.
    void ProfileChosen(int profile);

    void OnAdd();
    void OnLoad();
    void OnDelete();
    // Apply; false when it failed (the user was told).
    bool OnApply();
    void OnOk();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    ui::CPngButton* AddButton(const char* key, const char* text, std::function<void()> command);
    void FillTable();
    void UpdateApply();
    model::FileChoice Choice(const std::string& initialName, bool saving) const;

    ProfileDialogHost host_;
    profiles::ProfileList list_;
    QTreeWidget* table_ = nullptr;
    ui::CPngButton* apply_ = nullptr;
    bool filling_ = false;
    bool counted_ = false;
    static inline int openCount_ = 0;
};

}  // namespace tavrin::app
