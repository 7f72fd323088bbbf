#include "profile_window.h"

#include "layout_file.h"
#include "skin_painter.h"
#include "window_pictures.h"

namespace tavrin::skin {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 376;
constexpr int kCornerRadius = 12;
constexpr int kTitleHeight = 44;

void DrawProfileBackground(QPainter& painter)
{
    const QSize size(kWidth, kHeight);
    DrawWindowBase(painter, size, kCornerRadius);
    DrawTitleBar(painter, size, kTitleHeight, {}, kCornerRadius, Icon::Profiles);
    DrawCard(painter, QRectF(16, 56, kWidth - 32, 216), colours::kPanel, colours::kPanelEdge, 8);
    painter.setPen(QPen(QColor(34, 38, 45), 1));
    painter.drawLine(QPointF(16, 320.5), QPointF(kWidth - 16, 320.5));
}

}  // namespace

WindowLayout ProfileLayout()
{
    WindowLayout layout;
    layout.size = QSize(kWidth, kHeight);
    layout.controls.push_back({"PROGRAM_LIST", {20, 60, kWidth - 40, 208}});
    auto& b = layout.buttons;
    // Blank faces: the program writes each button's text in the chosen language.
    b.push_back(Button("FUNC_ADD", {20, 280, 88, 30}, Face::TextButton));
    b.push_back(Button("FUNC_LOAD", {114, 280, 88, 30}, Face::TextButton));
    b.push_back(Button("FUNC_DELETE", {208, 280, 88, 30}, Face::TextButton));
    b.push_back(Button("CONTROL2_APPLY", {kWidth - 304, 332, 92, 32}, Face::TextButton));
    b.push_back(Button("CONTROL_OK", {kWidth - 206, 332, 92, 32}, Face::PrimaryButton));
    b.push_back(Button("CONTROL_CANCEL", {kWidth - 108, 332, 88, 32}, Face::TextButton));
    return layout;
}

bool WriteProfileSkin(const SkinFolder& folder, QString& error)
{
    const WindowLayout layout = ProfileLayout();
    const auto background = [](QPainter& painter) { DrawProfileBackground(painter); };
    const std::pair<const char*, State> pictures[]
        = {{"Profile_normal.jpg", State::Normal}, {"Profile_over.jpg", State::Over}, {"Profile_down.jpg", State::Down}};
    for (const auto& [name, state] : pictures)
        if (!folder.saveJpeg(RenderWindow(layout, background, state), name, error))
            return false;
    if (!folder.saveBitmap(RoundedMask(layout.size, kCornerRadius), "profile_mask.bmp", error))
        return false;
    LayoutFile file;
    file.description = "Tavrin skin: the profile dialog.";
    file.picture = "Profile_normal.jpg";
    file.mask = "profile_mask.bmp";
    file.layout = &layout;
    return folder.saveText(LayoutFileText(file), "Profile.ini", error);
}

}  // namespace tavrin::skin
