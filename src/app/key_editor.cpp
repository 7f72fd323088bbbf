#include "app/key_editor.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <chrono>
#include <mutex>
#include <optional>

#include "model/assignable_functions.h"
#include "model/key_table.h"
#include "platform/key_event_adapter.h"
#include "profiles/macro_commit.h"
#include "profiles/working_copy_edits.h"
#include "ui/dark_controls.h"
#include "ui/skin_failure.h"
#include "ui/skin_layout.h"
#include "ui/skin_pictures.h"

namespace tavrin::app {
namespace {

using model::EditorPage;

// One page's pictures: the whole window in each state, the page's controls and active tab drawn.
struct PagePictures {
    QPixmap normal;
    QPixmap over;
    QPixmap down;
    QPixmap disable;
};

struct EditorPictures {
    PagePictures key;
    PagePictures macro;
    PagePictures macroOnly;
    PagePictures media;
    PagePictures function;
};

// Loaded once per run; nothing when one is missing.
const EditorPictures* Pictures(const std::string& folder)
{
    static std::optional<EditorPictures> pictures;
    if (pictures)
        return &*pictures;
    bool complete = true;
    const auto load = [&](const char* prefix, bool hasDisable) {
        PagePictures page;
        const auto one = [&](const char* state) {
            const QImage image = ui::LoadSkinPicture(folder + prefix + "_" + state + ".jpg");
            complete = complete && !image.isNull();
            return QPixmap::fromImage(image);
        };
        page.normal = one("normal");
        page.over = one("over");
        page.down = one("down");
        page.disable = hasDisable ? one("disable") : page.normal;
        return page;
    };
    EditorPictures loaded{
        load("key", false), load("macro", true), load("macro2", true), load("media", false), load("function", false)};
    if (!complete)
        return nullptr;
    pictures = std::move(loaded);
    return &*pictures;
}

constexpr std::array<std::pair<const char*, EditorPage>, 4> kPageButtons
    = {{{"CONTROL_SING", EditorPage::SingleKey}, {"CONTROL_MACRO", EditorPage::Macro},
        {"CONTROL_MEDIA", EditorPage::Media}, {"CONTROL_FUNCTION", EditorPage::FunctionKey}}};

constexpr std::uint32_t kButtonText = 0x00FFFFFF;
constexpr std::uint32_t kButtonTextHover = 0x0000D7FF;
constexpr std::uint32_t kButtonTextDisabled = 0x00808080;

}  // namespace

CTavrin_DlgComposite::CTavrin_DlgComposite(
    QWidget* parent, const std::string& layoutFile, const std::string& skinFolder, KeyEditorHost host)
    : ui::CBaseDialog(parent, layoutFile, skinFolder)
    , host_(std::move(host))
{
    setObjectName("KeyEditor");
    setWindowTitle(QString::fromStdString(host_.title));
    if (!host_.clockMs)
        host_.clockMs = [] {
            return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now().time_since_epoch())
                                                  .count());
        };
}

CTavrin_DlgComposite::~CTavrin_DlgComposite()
{
    qApp->removeEventFilter(this);
    if (counted_)
        --openCount_;
}

std::uint64_t CTavrin_DlgComposite::NowMs() const
{
    return host_.clockMs();
}

bool CTavrin_DlgComposite::LayOut()
{
    if (!Pictures(SkinFolder())) {
        ui::EndForMissingSkin("the key editor's pictures could not be loaded");
        return false;
    }
    if (!ApplySkin())
        return false;
    setStyleSheet(ui::DarkControlsStyle());

    AddButton("CONTROL_KEY", {});
    AddButton("CONTROL_CLOSE", [this] { reject(); });
    for (const auto& [key, page] : kPageButtons)
        AddButton(key, [this, page = page] { ChoosePage(page); });
    AddButton("CONTROL_CLEAR", [this] { OnClear(); });
    AddButton("CONTROL_OSK", [this] {
        host_.messages->ShowMessage("Use your desktop's on-screen keyboard, or press the key on the keyboard.");
    });
    AddButton("CONTROL_OK", [this] { OnOk(); });
    AddButton("CONTROL_CANCEL", [this] { reject(); });
    title_ = AddControl("CONTROL_TITLE", new QLabel(this));
    keyHint_ = AddControl("KEY_SETTING", new QLabel(this));
    singleHint_ = AddControl("TISHI_SINGLE_STATIC", new QLabel(this));
    keyboardChoice_ = AddControl("FUNC_KEY_RADIO_KB", new QRadioButton(this));
    keyboardLabel_ = AddControl("FUNC_KEY_STATIC_KB", new QLabel(this));
    keyField_ = AddControl("FUNC_KEY_INPUT", new QLineEdit(this));
    mouseChoice_ = AddControl("FUNC_KEY_RADIO_MOU", new QRadioButton(this));
    mouseLabel_ = AddControl("FUNC_KEY_STATIC_MOU", new QLabel(this));
    mouseList_ = AddControl("FUNC_KEY_COMBO_MOU", new QComboBox(this));
    mediaHint_ = AddControl("MEDIA_SETTING_TISHI", new QLabel(this));
    mediaList_ = AddControl("FUNC_MEDIA_SELECT", new QComboBox(this));
    functionHint_ = AddControl("FUNCTION_KEY_SETTING_TISHI", new QLabel(this));
    functionList_ = AddControl("FUNC_FUNCTION_SELECT", new QComboBox(this));
    for (QLabel* hint : {singleHint_, mediaHint_, functionHint_})
        hint->setWordWrap(true);
    keyField_->setReadOnly(true);
    keyField_->setFocusPolicy(Qt::NoFocus);

    MacroPageControls macro;
    macro.nameLabel = AddControl("MARCO_NAME_SETTING", new QLabel(this));
    macro.names = AddControl("FUNC_MACRO_LIST", new QComboBox(this));
    macro.rows = AddControl("FUNC_MACRO_LIST2", new QTreeWidget(this));
    macro.add = AddButton("FUNC_MACRO_ADD", {});
    macro.remove = AddButton("FUNC_MACRO_DELETE", {});
    macro.record = AddButton("FUNC_MACRO_RECORD", {});
    macro.toTop = AddButton("FUNC_MACRO_UP_TOP", {});
    macro.up = AddButton("FUNC_MACRO_UP", {});
    macro.down = AddButton("FUNC_MACRO_DOWN", {});
    macro.toBottom = AddButton("FUNC_MACRO_DOWN_BOTTOM", {});
    macro.deleteRow = AddButton("FUNC_MACRO_DELETE2", {});
    macro.clearRows = AddButton("FUNC_MACRO_CLEAR", {});
    macro.undo = AddButton("FUNC_MACRO_UNDO", {});
    macro.redo = AddButton("FUNC_MACRO_REDO", {});
    macro.mouseClicks = AddControl("FUNC_SELECT_COMBO_MOU", new QComboBox(this));
    macro.recordDelays = AddControl("FUNC_MACRO_RECORD_DELAY", new QCheckBox(this));
    macro.recordDelaysLabel = AddControl("FUNC_MACRO_RECORD_DELAY2", new QLabel(this));
    macro.cyclesLabel = AddControl("FUNC_MACRO_CYCLES_PROMPT", new QLabel(this));
    macro.cycles = AddControl("FUNC_MACRO_CYCLES", new QLineEdit(this));

    MacroPageHost macroHost;
    macroHost.texts = host_.texts;
    macroHost.messages = host_.messages;
    macroHost.settings = host_.settings;
    macroHost.keysPlayMacro
        = [this](std::uint16_t id) { return profiles::KeysPlayingMacro(*host_.working, host_.profile, id); };
    macroHost.clockMs = host_.clockMs;
    macroHost.changed = [this] { SetModified(); };
    {
        std::lock_guard lock(host_.working->lock);
        const model::EditorOpening opening
            = model::OpenEditorOn(host_.working->Record(host_.profile, host_.record), host_.macroOnly);
        macroPage_ = std::make_unique<MacroPage>(macro, std::move(macroHost), host_.working->macros, opening.macroId);
        kind_ = opening.kind;
        capturedKey_ = opening.capturedKey;
        SetTexts();
        keyboardChoice_->setChecked(!opening.mouseChosen);
        mouseChoice_->setChecked(opening.mouseChosen);
        mouseList_->setCurrentIndex(opening.mouseEntry);
        mediaList_->setCurrentIndex(opening.mediaEntry);
        functionList_->setCurrentIndex(opening.functionEntry);
        ShowPage(opening.shown);
    }
    keyField_->setText(capturedKey_ == model::kNoKey
            ? QString()
            : QString::fromStdString(model::DisplayedName(capturedKey_, *host_.texts)));
    const auto choose = [this] {
        keyField_->setEnabled(keyboardChoice_->isChecked());
        mouseList_->setEnabled(mouseChoice_->isChecked());
    };
    choose();
    // Choosing the mouse makes the key a mouse key, as capturing a key makes it that key.
    connect(keyboardChoice_, &QRadioButton::toggled, this, [this, choose] {
        choose();
        if (mouseChoice_->isChecked())
            kind_ = model::KIND_KEY;
        SetModified();
    });
    connect(mouseList_, &QComboBox::activated, this, [this] {
        kind_ = model::KIND_KEY;
        SetModified();
    });
    for (QComboBox* list : {mediaList_, functionList_})
        connect(list, &QComboBox::activated, this, [this] { SetModified(); });
    if (host_.macroOnly) {
        for (const EditorPage page : {EditorPage::SingleKey, EditorPage::Media, EditorPage::FunctionKey})
            PageButton(page)->setEnabled(false);
        for (QLabel* hint : {singleHint_, mediaHint_, functionHint_})
            hint->hide();
    }
    modified_ = false;
    macroPage_->Panel().ClearModified();
    PlaceBesideButton();
    // Every key stroke of the editor's window comes here first: captured, recorded or let through.
    qApp->installEventFilter(this);
    return true;
}

ui::CPngButton* CTavrin_DlgComposite::AddButton(const char* key, std::function<void()> command)
{
    auto* button = new ui::CPngButton(this);
    button->setObjectName(key);
    const ui::Placement place = ui::PlaceByRule(
        ui::PlacingRule::ImageButton, ui::ReadPlacementValue(LayoutFile(), ui::kPlacementSection, key));
    button->setGeometry(place.x, place.y, place.width, place.height);
    button->setProperty("offsetX", place.offsetX);
    button->setProperty("offsetY", place.offsetY);
    button->setEnabled(!place.disable);
    button->SetTextStyle(true, 10, "Arial", kButtonText, kButtonTextHover, kButtonText, kButtonTextDisabled);
    if (command)
        connect(button, &QAbstractButton::clicked, this, std::move(command));
    buttons_[key] = button;
    return button;
}

template<typename Widget> Widget* CTavrin_DlgComposite::AddControl(const char* key, Widget* widget)
{
    widget->setObjectName(key);
    const ui::Placement place
        = ui::PlaceByRule(ui::PlacingRule::Plain, ui::ReadPlacementValue(LayoutFile(), ui::kPlacementSection, key));
    widget->setGeometry(place.x, place.y, place.width, place.height);
    return widget;
}

ui::CPngButton* CTavrin_DlgComposite::PageButton(EditorPage page) const
{
    for (const auto& [key, shown] : kPageButtons)
        if (shown == page)
            return buttons_.at(key);
    return nullptr;
}

void CTavrin_DlgComposite::SetPagePictures(EditorPage page)
{
    const EditorPictures& all = *Pictures(SkinFolder());
    const PagePictures& p = host_.macroOnly ? all.macroOnly
        : page == EditorPage::Macro         ? all.macro
        : page == EditorPage::Media         ? all.media
        : page == EditorPage::FunctionKey   ? all.function
                                            : all.key;
    for (const auto& [key, button] : buttons_)
        button->SetSkin(button->property("offsetX").toInt(), button->property("offsetY").toInt(), p.normal, p.over,
            p.down, p.disable, p.down);
}

void CTavrin_DlgComposite::ChoosePage(EditorPage page)
{
    if (page == shown_)
        return;
    ShowPage(page);
    kind_ = static_cast<std::uint16_t>(page);
    SetModified();
}

void CTavrin_DlgComposite::ShowPage(EditorPage page)
{
    if (page != EditorPage::Macro)
        macroPage_->StopRecording();
    shown_ = page;
    SetPagePictures(page);
    const bool single = page == EditorPage::SingleKey;
    for (QWidget* widget : std::initializer_list<QWidget*>{singleHint_, keyboardChoice_, keyboardLabel_, keyField_,
             mouseChoice_, mouseLabel_, mouseList_, buttons_.at("CONTROL_OSK")})
        widget->setVisible(single && !(host_.macroOnly && widget == singleHint_));
    macroPage_->SetVisible(page == EditorPage::Macro);
    mediaHint_->setVisible(page == EditorPage::Media);
    mediaList_->setVisible(page == EditorPage::Media);
    functionHint_->setVisible(page == EditorPage::FunctionKey);
    functionList_->setVisible(page == EditorPage::FunctionKey);
    update();
}

void CTavrin_DlgComposite::OnClear()
{
    ChoosePage(EditorPage::SingleKey);
    keyField_->clear();
    capturedKey_ = model::kNoKey;
    keyboardChoice_->setChecked(true);
    kind_ = model::KIND_DEFAULT;
    SetModified();
}

void CTavrin_DlgComposite::Capture(model::KeyCode code)
{
    capturedKey_ = code;
    keyField_->setText(QString::fromStdString(model::DisplayedName(code, *host_.texts)));
    kind_ = model::KIND_KEY;
    SetModified();
}

void CTavrin_DlgComposite::SetModified()
{
    modified_ = true;
}

void CTavrin_DlgComposite::ApplyComposite()
{
    model::MacroPanel& panel = macroPage_->Panel();
    panel.StopRecording();
    const model::MacroList macros = panel.Macros();
    profiles::CommitMacroList(*host_.working, macros);
    model::EditorChoices choices;
    choices.kind = kind_;
    choices.mouseChosen = mouseChoice_->isChecked();
    choices.capturedKey = capturedKey_;
    choices.mouseEntry = mouseList_->currentIndex();
    choices.haveMacros = !macros.empty();
    choices.macroId = panel.SelectedId();
    choices.cycles = panel.Cycles();
    choices.mediaEntry = mediaList_->currentIndex();
    choices.functionEntry = functionList_->currentIndex();
    const model::Assignment assignment = model::AssignmentOf(host_.record, choices);
    profiles::StoreAssignment(
        *host_.working, host_.profile, host_.record, assignment.kind, assignment.aux, assignment.value, std::nullopt);
    {
        std::lock_guard lock(host_.working->lock);
        // What was committed is the working copy's now: nothing in it is new any more.
        macroPage_->Reset(host_.working->macros);
    }
    modified_ = false;
    if (host_.applied)
        host_.applied();
}

void CTavrin_DlgComposite::OnOk()
{
    ApplyComposite();
    accept();
}

void CTavrin_DlgComposite::SetTexts()
{
    const auto text = [this](const char* key) { return QString::fromStdString(Text(key)); };
    const auto set = [this](const char* key, const QString& value) { buttons_.at(key)->setText(value); };
    title_->setText(QString::fromStdString(host_.title));
    set("CONTROL_SING", host_.macroOnly ? QString() : text("IDS_COMPOSITE_SELECT_KEY"));
    set("CONTROL_MACRO", text("IDS_COMPOSITE_SELECT_MACRO"));
    set("CONTROL_MEDIA", host_.macroOnly ? QString() : text("IDS_COMPOSITE_SELECT_MEDIA"));
    set("CONTROL_FUNCTION", host_.macroOnly ? QString() : text("IDS_COMPOSITE_SELECT_FUNCTION"));
    set("CONTROL_CLEAR", text("IDS_KEYBOARD_MARCO_RESET"));
    set("CONTROL_OK", text("IDS_COMPOSITE_OK"));
    set("CONTROL_CANCEL", text("IDS_COMPOSITE_CANCEL"));
    keyHint_->setText(text(host_.macroOnly ? "IDS_KEYBOARD_EDIT_TISHI" : "IDS_KEYBOARD_KEY_SETTING"));
    singleHint_->setText(text("IDS_KEYBOARD_KEY_SINGLE"));
    mediaHint_->setText(text("IDS_MEDIA_EDIT"));
    functionHint_->setText(text("IDS_FUNCTION_KEY_EDIT"));
    keyboardLabel_->setText(text("IDS_MACRO_KB_KEY"));
    mouseLabel_->setText(text("IDS_MACRO_MOU_KEY"));
    const auto fill = [](QComboBox* list, const std::vector<std::string>& names) {
        const int chosen = std::max(list->currentIndex(), 0);
        list->clear();
        for (const std::string& name : names)
            list->addItem(QString::fromStdString(name));
        list->setCurrentIndex(chosen);
    };
    fill(mouseList_, model::MouseFunctionNames(*host_.texts));
    fill(mediaList_, model::MediaFunctionNames(*host_.texts));
    fill(functionList_, model::FunctionKeyNames(*host_.texts));
    macroPage_->SetTexts();
}

void CTavrin_DlgComposite::PlaceBesideButton()
{
    QScreen* screen = QGuiApplication::screenAt(host_.buttonRect.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen || host_.buttonRect.isNull())
        return;
    const QRect area = screen->availableGeometry();
    const QRect& b = host_.buttonRect;
    const model::ScreenPoint place = model::PlaceBeside(
        {b.x(), b.y(), b.width(), b.height()}, width(), height(), {area.x(), area.y(), area.width(), area.height()});
    move(place.x, place.y);
}

bool CTavrin_DlgComposite::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this || !isVisible())
        return false;
    const bool recording = macroPage_->Panel().Recording();
    if (shown_ != EditorPage::SingleKey && !recording)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    platform::LinuxKeyEvent linux;
    linux.xkbKeycode = key->nativeScanCode();
    linux.release = type == QEvent::KeyRelease;
    linux.autoRepeat = key->isAutoRepeat();
    linux.qtKey = static_cast<std::uint32_t>(key->key());
    linux.keypad = key->modifiers().testFlag(Qt::KeypadModifier);
    const std::optional<platform::WindowsKeyEvent> windows = platform::ToWindowsKeyEvent(linux);
    // The release half of an auto-repeat: no key stroke of its own, but not the control's either.
    if (!windows)
        return linux.autoRepeat;
    const model::KeyCode code = model::KeyCodeOfKeyEvent(windows->virtualKey, windows->packed);
    if (recording)
        return macroPage_->FeedKey(code, windows->release, linux.autoRepeat);
    switch (model::CaptureOf(code, windows->release, linux.autoRepeat, keyboardChoice_->isChecked())) {
    case model::Capture::PassThrough:
        return false;
    case model::Capture::Ignore:
        return true;
    case model::Capture::Take:
        Capture(code);
        return true;
    }
    return false;
}

void CTavrin_DlgComposite::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return;  // neither applies nor closes the editor
    case Qt::Key_F1:
        if (!macroPage_->Panel().Recording() && host_.help)
            host_.help();
        return;
    default:
        break;
    }
    if (shown_ == EditorPage::Macro && event->modifiers().testFlag(Qt::ControlModifier) && event->key() == Qt::Key_Z) {
        if (event->modifiers().testFlag(Qt::ShiftModifier))
            macroPage_->OnRedo();
        else
            macroPage_->OnUndo();
        return;
    }
    ui::CBaseDialog::keyPressEvent(event);
}

void CTavrin_DlgComposite::showEvent(QShowEvent* event)
{
    if (!counted_) {
        counted_ = true;
        ++openCount_;
    }
    ui::CBaseDialog::showEvent(event);
}

void CTavrin_DlgComposite::done(int result)
{
    qApp->removeEventFilter(this);
    macroPage_->StopRecording();
    if (counted_) {
        counted_ = false;
        --openCount_;
    }
    ui::CBaseDialog::done(result);
}

}  // namespace tavrin::app
