// The key editor opened from the main window over the real library and emulator: it opens beside
// the clicked button, each page stores its kind, keys reach it as the desktop sends them (XKB
// keycodes, and the key alone when there is none), the macro page records, and the main window's
// buttons follow.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "main_window_fixture.h"
#include "model/key_button_tips.h"
#include "model/key_editor_rules.h"

namespace tavrin::app {
namespace {

// XKB keycodes (evdev codes + 8) of a PC keyboard.
constexpr quint32 kXkbH = 43;
constexpr quint32 kXkbI = 31;
constexpr quint32 kXkbB = 56;
constexpr quint32 kXkbPlayPause = 172;

const model::KeyButton kA = model::KeyButtonsInOrder()[0];

// The key code of a letter: A to Z lead the button order.
model::KeyCode CodeOf(char letter)
{
    return model::KeyButtonsInOrder()[static_cast<std::size_t>(letter - 'A')].code;
}

class KeyEditorInWindow : public MainWindowInProcess {
protected:
    // Clicks the button and runs `steps` on the open editor; returns once the editor has closed.
    void WithEditor(CTavrinDlg& window, int controlId, const std::function<void(CTavrin_DlgComposite&)>& steps)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            CTavrin_DlgComposite* editor = window.KeyEditor();
            ASSERT_NE(editor, nullptr);
            ran = true;
            steps(*editor);
            if (window.KeyEditor())
                editor->reject();
        });
        window.KeyButtonClicked(controlId);
        EXPECT_TRUE(ran) << "the editor did not open";
        EXPECT_EQ(window.KeyEditor(), nullptr);
    }
    // A key stroke as the desktop delivers it to the editor's focused control.
    static void Key(CTavrin_DlgComposite& editor, QEvent::Type type, quint32 xkb, int qtKey, bool repeat = false)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &editor;
        QKeyEvent event(type, qtKey, Qt::NoModifier, xkb, 0, 0, QString(), repeat);
        QApplication::sendEvent(target, &event);
    }
    static void Stroke(CTavrin_DlgComposite& editor, quint32 xkb, int qtKey)
    {
        Key(editor, QEvent::KeyPress, xkb, qtKey);
        Key(editor, QEvent::KeyRelease, xkb, qtKey);
    }
    model::KeyRecord RecordOf(std::size_t record)
    {
        std::lock_guard lock(app_.Working().lock);
        return app_.Working().Record(0, record);
    }
};

TEST_F(KeyEditorInWindow, ACapturedKeyIsStoredAndTheButtonFollows)
{
    CTavrinDlg& window = OpenWithKeyboard();
    window.HandleMessage(MSG_OPEN, MSG_OPEN_CHECK, 0);
    ui::CPngButton* buttonA = window.Skin()->Keyboard().ButtonWithId(kA.controlId);
    WithEditor(window, kA.controlId, [&](CTavrin_DlgComposite& editor) {
        EXPECT_EQ(editor.ShownPage(), model::EditorPage::SingleKey);
        const QRect button(buttonA->mapToGlobal(QPoint(0, 0)), buttonA->size());
        EXPECT_TRUE(editor.geometry().left() == button.right() + 1 || editor.geometry().right() + 1 == button.left())
            << "beside the button";
        Key(editor, QEvent::KeyPress, kXkbB, Qt::Key_B);
        Key(editor, QEvent::KeyPress, kXkbPlayPause, Qt::Key_MediaTogglePlayPause);
        EXPECT_EQ(editor.KeyField().text().toStdString(), model::DisplayedName(CodeOf('B'), app_.Texts()))
            << "the media key passed by";
        EXPECT_TRUE(editor.isVisible()) << "Escape and Enter do not close it";
        editor.OnOk();
    });
    const model::KeyRecord stored = RecordOf(model::IndexFromCode(kA.code));
    EXPECT_EQ(stored.kind, model::KIND_KEY);
    EXPECT_EQ(stored.value, CodeOf('B'));
    EXPECT_TRUE(window.SettingsModified());
    EXPECT_NE(buttonA->TooltipText().toStdString().find(app_.Texts().Text("IDS_KEY_PROMPT_SINGLE")), std::string::npos);
}

TEST_F(KeyEditorInWindow, EachPageStoresItsKind)
{
    CTavrinDlg& window = OpenWithKeyboard();
    struct Case {
        const char* name;
        std::function<void(CTavrin_DlgComposite&)> choose;
        model::KeyRecord expected;
    };
    const std::size_t g3 = model::GRecord(2, 0);
    const Case cases[] = {
        {"mouse",
            [](CTavrin_DlgComposite& e) {
                e.MouseChoice().setChecked(true);  // on a key that does its default: a mouse key now
                e.MouseList().setCurrentIndex(0);
                Key(e, QEvent::KeyPress, kXkbB, Qt::Key_B);  // ignored while the mouse is chosen
            },
            {model::KIND_KEY, 0x0303, model::kMouseLeft, 0, 0}},
        {"media",
            [](CTavrin_DlgComposite& e) {
                e.ChoosePage(model::EditorPage::Media);
                e.MediaList().setCurrentIndex(3);
            },
            {model::KIND_MEDIA, 0x0303, 3, 0, 0}},
        {"function key",
            [](CTavrin_DlgComposite& e) {
                e.ChoosePage(model::EditorPage::FunctionKey);
                e.FunctionList().setCurrentIndex(2);
            },
            {model::KIND_FUNCTION, 0x0303, 2, 0, 0}},
        {"key without a keycode",
            [](CTavrin_DlgComposite& e) {
                e.ChoosePage(model::EditorPage::SingleKey);
                e.KeyboardChoice().setChecked(true);
                Key(e, QEvent::KeyPress, 0, Qt::Key_B);
            },
            {model::KIND_KEY, 0x0303, CodeOf('B'), 0, 0}},
        {"clear", [](CTavrin_DlgComposite& e) { e.OnClear(); }, {model::KIND_DEFAULT, 0x0303, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        WithEditor(window, *model::GButtonId(2), [&](CTavrin_DlgComposite& editor) {
            c.choose(editor);
            editor.OnOk();
        });
        const model::KeyRecord stored = RecordOf(g3);
        EXPECT_EQ(stored.kind, c.expected.kind) << c.name;
        EXPECT_EQ(stored.aux, c.expected.aux) << c.name;
        EXPECT_EQ(stored.value, c.expected.value) << c.name;
    }
}

TEST_F(KeyEditorInWindow, TheMacroPageRecordsKeysWithTheirCycles)
{
    CTavrinDlg& window = OpenWithKeyboard();
    WithEditor(window, kA.controlId, [&](CTavrin_DlgComposite& editor) {
        editor.ChoosePage(model::EditorPage::Macro);
        MacroPage& page = editor.Macros();
        page.OnAdd();
        page.OnRecord();
        Stroke(editor, kXkbH, Qt::Key_H);
        Stroke(editor, kXkbI, Qt::Key_I);
        page.OnRecord();
        page.Controls().cycles->setText("5");
        emit page.Controls().cycles->textEdited("5");
        EXPECT_EQ(page.Controls().rows->topLevelItemCount(), 4);
        editor.OnOk();
    });
    const model::KeyRecord stored = RecordOf(model::IndexFromCode(kA.code));
    EXPECT_EQ(stored.kind, model::KIND_MACRO);
    EXPECT_EQ(stored.aux, 5);
    std::lock_guard lock(app_.Working().lock);
    ASSERT_EQ(app_.Working().macros.size(), 1u);
    const model::MacroRecord& macro = app_.Working().macros[0];
    EXPECT_EQ(stored.value, macro.id);
    EXPECT_EQ(macro.cycles, 5);
    EXPECT_EQ(macro.isNew, 0);
    ASSERT_EQ(macro.actionCount, 4);
    const model::KeyCode h = CodeOf('H');
    const model::KeyCode i = CodeOf('I');
    const model::MacroAction expected[] = {{50, h, 0}, {50, h, 1}, {50, i, 0}, {0, i, 1}};
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(macro.actions[n], expected[n]) << "action " << n;
}

TEST_F(KeyEditorInWindow, TheMacroButtonOpensTheMacroPageOnlyAndAnUnplugClosesIt)
{
    CTavrinDlg& window = OpenWithKeyboard();
    WithEditor(window, model::kG9ButtonId, [&](CTavrin_DlgComposite& editor) {
        EXPECT_EQ(editor.ShownPage(), model::EditorPage::Macro);
        EXPECT_FALSE(editor.PageButton(model::EditorPage::SingleKey)->isEnabled());
        EXPECT_FALSE(editor.PageButton(model::EditorPage::Media)->isEnabled());
        EXPECT_FALSE(editor.PageButton(model::EditorPage::FunctionKey)->isEnabled());
        EXPECT_EQ(CTavrin_DlgComposite::OpenCount(), 1);
        // Chosen from the tray menu while the editor is open.
        app_.Texts().ChooseLanguageIndex(5);
        window.HandleMessage(MSG_LANGUAGE, MSG_LANGUAGE_CHECK, 5);
        EXPECT_TRUE(PumpUntil([&] { return editor.PageButton(model::EditorPage::Macro)->text() == "宏"; }))
            << "relabelled";
        window.Skin()->Buttons().profiles[1]->click();
        EXPECT_EQ(window.Keyboard()->Active().ReadActiveProfile(), 0) << "no switch while the editor is open";
        emulator_.Control("unplug");
        EXPECT_TRUE(PumpUntil([&] { return window.KeyEditor() == nullptr || !editor.isVisible(); }));
    });
    EXPECT_EQ(CTavrin_DlgComposite::OpenCount(), 0);
}

}  // namespace
}  // namespace tavrin::app
