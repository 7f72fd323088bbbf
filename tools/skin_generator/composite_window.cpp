#include "composite_window.h"

#include "layout_file.h"
#include "skin_painter.h"
#include "window_pictures.h"

namespace tavrin::skin {
namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 456;
constexpr int kCornerRadius = 12;
constexpr int kTitleHeight = 48;
const QRect kCard(16, 108, kWidth - 32, 292);

bool IsMacroPageButton(const ImageButton& button)
{
    return button.key.startsWith("FUNC_MACRO");
}

bool IsKeyPageButton(const ImageButton& button)
{
    return button.key == "CONTROL_OSK";
}

// Buttons that only one page shows; the shared background leaves their place empty, and only
// that page's pictures draw them.
bool IsPageButton(const ImageButton& button)
{
    return IsMacroPageButton(button) || IsKeyPageButton(button);
}

bool ShownOnPage(const ImageButton& button, CompositePage page)
{
    if (IsMacroPageButton(button))
        return page == CompositePage::Macro || page == CompositePage::MacroOnly;
    if (IsKeyPageButton(button))
        return page == CompositePage::Key;
    return true;
}

void DrawCompositeBackground(QPainter& painter)
{
    const QSize size(kWidth, kHeight);
    DrawWindowBase(painter, size, kCornerRadius);
    DrawTitleBar(painter, size, kTitleHeight, {}, kCornerRadius);
    DrawCard(painter, kCard, colours::kPanel, colours::kPanelEdge, 10);
}

struct SetPicture {
    const char* name;
    State state;
};

struct PictureSet {
    CompositePage page;
    const char* prefix;
    bool hasDisable;
};

}  // namespace

WindowLayout CompositeLayout(CompositePage page)
{
    WindowLayout layout;
    layout.size = QSize(kWidth, kHeight);
    auto& b = layout.buttons;
    b.push_back(Button("CONTROL_KEY", {16, 12, 28, 24}, Face::Decoration, {}, Icon::Keyboard));
    // The title bar stays free of words; the program may set a title in the window's language here.
    b.push_back(Button("CONTROL_TITLE", {52, 10, 300, 28}, Face::Blank));
    b.push_back(Button("CONTROL_CLOSE", {kWidth - 46, 10, 32, 28}, Face::CloseButton, {}, Icon::Close));

    const std::pair<const char*, CompositePage> tabs[]
        = {{"CONTROL_SING", CompositePage::Key}, {"CONTROL_MACRO", CompositePage::Macro},
            {"CONTROL_MEDIA", CompositePage::Media}, {"CONTROL_FUNCTION", CompositePage::Function}};
    for (int i = 0; i < 4; ++i) {
        ImageButton tab = Button(tabs[i].first, {16 + i * 108, 60, 104, 34}, Face::TabButton);
        tab.active
            = tabs[i].second == page || (page == CompositePage::MacroOnly && tabs[i].second == CompositePage::Macro);
        b.push_back(tab);
    }
    b.push_back(Button("CONTROL_CLEAR", {452, 60, 92, 34}, Face::TextButton));
    b.push_back(Button("CONTROL_MASK", {16, 100, kWidth - 32, 3}, Face::Decoration));

    auto& c = layout.controls;
    c.push_back({"KEY_SETTING", {30, 116, 500, 20}});
    // Single key.
    c.push_back({"TISHI_SINGLE_STATIC", {30, 140, 500, 36}});
    c.push_back({"FUNC_KEY_RADIO_KB", {30, 188, 20, 20}});
    c.push_back({"FUNC_KEY_STATIC_KB", {54, 188, 220, 20}});
    c.push_back({"FUNC_KEY_INPUT", {54, 214, 240, 30}});
    b.push_back(Button("CONTROL_OSK", {302, 214, 40, 30}, Face::LegendButton, {}, Icon::Keyboard));
    c.push_back({"FUNC_KEY_RADIO_MOU", {30, 262, 20, 20}});
    c.push_back({"FUNC_KEY_STATIC_MOU", {54, 262, 220, 20}});
    c.push_back({"FUNC_KEY_COMBO_MOU", {54, 288, 240, 30}});
    // Macro.
    c.push_back({"MARCO_NAME_SETTING", {30, 140, 220, 20}});
    c.push_back({"FUNC_MACRO_LIST", {30, 162, 232, 28}});
    b.push_back(Button("FUNC_MACRO_ADD", {268, 162, 32, 28}, Face::LegendButton, {}, Icon::Plus));
    b.push_back(Button("FUNC_MACRO_DELETE", {304, 162, 32, 28}, Face::LegendButton, {}, Icon::Trash));
    // Undo and Redo of the macro's edits, at the right end of the list's row, over the right column.
    b.push_back(Button("FUNC_MACRO_UNDO", {464, 162, 32, 28}, Face::LegendButton, {}, Icon::Undo));
    b.push_back(Button("FUNC_MACRO_REDO", {500, 162, 32, 28}, Face::LegendButton, {}, Icon::Redo));
    c.push_back({"FUNC_MACRO_LIST2", {30, 198, 232, 194}});
    b.push_back(Button("FUNC_MACRO_RECORD", {276, 198, 124, 30}, Face::PrimaryButton));
    c.push_back({"FUNC_SELECT_COMBO_MOU", {406, 198, 126, 30}});
    const char* moves[] = {"FUNC_MACRO_UP_TOP", "FUNC_MACRO_UP", "FUNC_MACRO_DOWN", "FUNC_MACRO_DOWN_BOTTOM"};
    for (int i = 0; i < 4; ++i)
        b.push_back(Button(moves[i], {276, 236 + i * 32, 124, 28}, Face::TextButton));
    b.push_back(Button("FUNC_MACRO_DELETE2", {406, 236, 126, 28}, Face::TextButton));
    b.push_back(Button("FUNC_MACRO_CLEAR", {406, 268, 126, 28}, Face::TextButton));
    c.push_back({"FUNC_MACRO_RECORD_DELAY", {406, 304, 18, 18}});
    c.push_back({"FUNC_MACRO_RECORD_DELAY2", {428, 302, 104, 22}});
    c.push_back({"FUNC_MACRO_CYCLES_PROMPT", {406, 336, 78, 22}});
    c.push_back({"FUNC_MACRO_CYCLES", {488, 334, 44, 26}});
    // Media and function keys.
    c.push_back({"MEDIA_SETTING_TISHI", {30, 140, 500, 36}});
    c.push_back({"FUNC_MEDIA_SELECT", {30, 186, 280, 30}});
    c.push_back({"FUNCTION_KEY_SETTING_TISHI", {30, 140, 500, 36}});
    c.push_back({"FUNC_FUNCTION_SELECT", {30, 186, 280, 30}});

    b.push_back(Button("CONTROL_OK", {kWidth - 220, 412, 96, 32}, Face::PrimaryButton));
    b.push_back(Button("CONTROL_CANCEL", {kWidth - 116, 412, 100, 32}, Face::TextButton));
    return layout;
}

bool WriteCompositeSkin(const SkinFolder& folder, QString& error)
{
    const auto background = [](QPainter& painter) { DrawCompositeBackground(painter); };
    WindowLayout shared = CompositeLayout(CompositePage::Key);
    for (ImageButton& button : shared.buttons)
        button.active = false;
    const auto common = [](const ImageButton& button) { return !IsPageButton(button); };
    if (!folder.saveJpeg(RenderWindow(shared, background, State::Normal, common), "composite_bg.jpg", error))
        return false;

    const PictureSet sets[] = {{CompositePage::Key, "key", false}, {CompositePage::Macro, "macro", true},
        {CompositePage::MacroOnly, "macro2", true}, {CompositePage::Media, "media", false},
        {CompositePage::Function, "function", false}};
    const SetPicture states[]
        = {{"normal", State::Normal}, {"over", State::Over}, {"down", State::Down}, {"disable", State::Disable}};
    for (const PictureSet& set : sets) {
        const WindowLayout layout = CompositeLayout(set.page);
        for (const SetPicture& picture : states) {
            if (picture.state == State::Disable && !set.hasDisable)
                continue;
            const QString name = QString("%1_%2.jpg").arg(set.prefix, picture.name);
            const auto onPage = [&set](const ImageButton& button) { return ShownOnPage(button, set.page); };
            if (!folder.saveJpeg(RenderWindow(layout, background, picture.state, onPage), name, error))
                return false;
        }
    }
    if (!folder.saveBitmap(RoundedMask(QSize(kWidth, kHeight), kCornerRadius), "composite_mask.bmp", error))
        return false;
    LayoutFile file;
    file.description = "Tavrin skin: the key assignment editor.";
    file.picture = "composite_bg.jpg";
    file.mask = "composite_mask.bmp";
    file.layout = &shared;
    return folder.saveText(LayoutFileText(file), "Composite.ini", error);
}

}  // namespace tavrin::skin
