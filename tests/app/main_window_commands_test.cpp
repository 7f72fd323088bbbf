// The main window's own commands, in-process over the real library and a real emulator: help and
// link, the layout flip, the colour-keys view, the default command, backup and the language menu.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <fstream>

#include "app/main_window_fixture.h"
#include "model/key_record.h"
#include "model/layout_flip.h"
#include "profiles/profile_file.h"
#include "profiles/working_copy_edits.h"
#include "ui/png_button.h"

namespace tavrin::app {
namespace {

using MainWindowCommands = MainWindowInProcess;

TEST_F(MainWindowCommands, HelpAndTheLinkOpenWhereTheyPoint)
{
    CTavrinDlg& window = OpenWithKeyboard();
    window.Skin()->Buttons().help->click();
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(window.Skin()->Keyboard().fn, &f1);
    window.Skin()->Buttons().link->click();
    ASSERT_EQ(opened_.size(), 3u);
    EXPECT_EQ(opened_[0], "file://" + app_.Paths().helpFolder + "index.html");
    EXPECT_EQ(opened_[1], opened_[0]) << "F1 anywhere in the window opens the help too";
    EXPECT_EQ(opened_[2], app_.Paths().linkAddress);
}

TEST_F(MainWindowCommands, TheLayoutFlipTwiceRestoresTheKeysAndStoresZero)
{
    CTavrinDlg& window = OpenWithKeyboard();
    const ui::KeyboardButtons& keyboard = window.Skin()->Keyboard();
    const auto enabled = [&](int id) { return keyboard.ButtonWithId(id)->isEnabled(); };
    const int f1 = model::kFlipFKeyButtons.front();
    EXPECT_TRUE(enabled(f1));
    window.Skin()->Buttons().flipFirst->click();
    EXPECT_FALSE(enabled(f1));
    EXPECT_TRUE(window.Skin()->Buttons().flipIndicator->Checked());
    EXPECT_EQ(app_.Settings().GetSetting(profiles::kProfilesSection, profiles::kFlipEntry, ""), "1");
    window.Skin()->Buttons().flipSecond->click();
    EXPECT_TRUE(enabled(f1));
    EXPECT_FALSE(window.Skin()->Buttons().flipIndicator->Checked());
    EXPECT_EQ(app_.Settings().GetSetting(profiles::kProfilesSection, profiles::kFlipEntry, ""), "0");
    EXPECT_TRUE(enabled(model::KeyButtonsInOrder().front().controlId)) << "keys outside the flip stay";
}

TEST_F(MainWindowCommands, TheColourKeysViewTogglesAKeysFlagAndOnlyThen)
{
    CTavrinDlg& window = OpenWithKeyboard();
    ui::CPngButton* key = window.Skin()->Keyboard().keys.front().button;
    ui::CPngButton* switchMode = window.Skin()->Buttons().switchMode;
    bool editorOpened = false;
    QTimer::singleShot(0, [&] {
        editorOpened = window.KeyEditor() != nullptr;
        if (window.KeyEditor())
            window.KeyEditor()->reject();
    });
    key->click();
    EXPECT_TRUE(editorOpened) << "in the function keys mode a click opens the key editor";
    EXPECT_FALSE(window.SettingsModified()) << "and Cancel changes nothing";
    switchMode->click();
    EXPECT_EQ(switchMode->text(), kSwitchToFunctionKeys);
    EXPECT_TRUE(key->AlternativeShown());
    EXPECT_EQ(key->AlternativeSelector(), 0);
    key->click();
    EXPECT_EQ(key->AlternativeSelector(), 1);
    EXPECT_TRUE(window.SettingsModified());
    {
        std::lock_guard lock(app_.Working().lock);
        EXPECT_EQ(app_.Working().Record(0, 0).colourKeyFlag, 1u) << "the first button's place";
    }
    switchMode->click();
    EXPECT_EQ(switchMode->text(), kSwitchToColourKeys);
    EXPECT_FALSE(key->AlternativeShown());
}

TEST_F(MainWindowCommands, TheDefaultCommandAsksAndYesClearsTheProfileOnTheKeyboard)
{
    CTavrinDlg& window = OpenWithKeyboard();
    const std::size_t keyA = 0x1E;
    profiles::StoreAssignment(app_.Working(), 0, keyA, model::KIND_KEY, 0, 0x030, std::nullopt);
    window.SetSettingsModified(true);
    window.Apply();
    ASSERT_FALSE(window.SettingsModified());
    const std::string assigned = Dump();

    window.Skin()->Buttons().defaultMode->click();  // No: nothing happens
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0], app_.Texts().Text("IDS_MAIN_PROMPT_DEFAULT"));
    EXPECT_EQ(Dump(), assigned);

    messages_.SetNextAnswer(model::Answer::Yes);
    window.Skin()->Buttons().defaultMode->click();
    EXPECT_FALSE(window.SettingsModified()) << "applied at once";
    EXPECT_NE(Dump(), assigned);
    window.HandleMessage(MSG_PROFILE_RELOAD, MSG_PROFILE_RELOAD_CHECK, 0);
    std::lock_guard lock(app_.Working().lock);
    EXPECT_EQ(app_.Working().Record(0, keyA).kind, model::KIND_DEFAULT) << "read back from the keyboard";
}

TEST_F(MainWindowCommands, BackupWritesTheWorkingCopyWhereTheDialogSays)
{
    CTavrinDlg& window = OpenWithKeyboard();
    profiles::StoreAssignment(app_.Working(), 1, 0x1E, model::KIND_KEY, 0, 0x030, std::nullopt);
    const std::string path = home_.Path().string() + "/backup.tvn";
    messages_.SetNextFileName(path);
    window.OnCommand(kCommandBackup);
    ASSERT_EQ(messages_.fileChoices.size(), 1u);
    EXPECT_EQ(messages_.fileChoices[0].filter, "(*.tvn)|*.tvn|(*.*)|*.*||");
    EXPECT_TRUE(messages_.fileChoices[0].confirmOverwrite);
    profiles::ProfileData saved;
    ASSERT_TRUE(profiles::LoadProfileFile(path, saved));
    EXPECT_EQ(saved.Record(1, 0x1E).kind, model::KIND_KEY);
    EXPECT_TRUE(messages_.shown.empty());

    window.OnCommand(kCommandBackup);  // cancelled: nothing
    EXPECT_EQ(messages_.fileChoices.size(), 2u);
}

TEST_F(MainWindowCommands, ChoosingALanguageStoresItAndRelabelsAtOnce)
{
    CTavrinDlg& window = OpenWithKeyboard();
    QMenu* languages = window.WindowMenu().findChild<QMenu*>("LanguageMenu");
    ASSERT_NE(languages, nullptr);
    ASSERT_EQ(languages->actions().size(), model::kSupportedLanguageCount);
    EXPECT_EQ(languages->actions()[1]->text(), "Français");
    languages->actions()[1]->trigger();
    EXPECT_EQ(app_.Texts().LanguageIndex(), 1);
    EXPECT_EQ(window.Skin()->Buttons().ok->text().toStdString(), app_.Texts().Text("IDS_MAIN_OK", 1));
    EXPECT_NE(app_.Texts().Text("IDS_MAIN_Cancel", 1), app_.Texts().Text("IDS_MAIN_Cancel", 0));
    EXPECT_EQ(window.Skin()->Buttons().cancel->text().toStdString(), app_.Texts().Text("IDS_MAIN_Cancel", 1));
    languages = window.WindowMenu().findChild<QMenu*>("LanguageMenu");
    ASSERT_NE(languages, nullptr);
    EXPECT_TRUE(languages->actions()[1]->isChecked());
}

// While the download's message is up, the G-key bank key is pressed and a second start shows the
// window: both touch the working copy on the window's thread, which must never find it held by the
// keyboard's work (the program hung for good there).
TEST_F(MainWindowCommands, TheBankKeyAndASecondStartWhileTheDownloadsMessageIsUpNeverHang)
{
    CTavrinDlg& window = OpenWithKeyboard();
    window.Keyboard()->Download().SetCapacity(0);  // no macro block fits: the download says so
    int handledWhileShown = 0;
    messages_.whileShown = [&](const std::string&) {
        window.HandleMessage(MSG_GKEY_BANK, MSG_GKEY_BANK_CHECK, 0);
        window.HandleMessage(MSG_OPEN, MSG_OPEN_CHECK, 0);
        ++handledWhileShown;
    };
    window.SetSettingsModified(true);
    window.Apply();
    ASSERT_EQ(messages_.shown.size(), 2u) << "the download's message, then what failed";
    EXPECT_EQ(messages_.shown[0], profiles::kMacroSpaceExceeded);
    EXPECT_EQ(handledWhileShown, 2);
    EXPECT_TRUE(window.SettingsModified()) << "nothing was written: Apply stays on";
}

}  // namespace
}  // namespace tavrin::app
