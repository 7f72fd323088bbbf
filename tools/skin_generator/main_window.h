// The main window: title bar, profile tool bar, the keyboard on its plate, the lighting panel and
// the footer with Apply, OK and Cancel. Its lighting panel keeps its place whether it is open or
// closed (closing only hides the panel's controls), so the window always has the same size.
#pragma once

#include <QPainter>
#include <QString>
#include <vector>

#include "image_files.h"
#include "skin_layout.h"

namespace tavrin::skin {

struct MainWindow {
    WindowLayout layout;
    std::vector<PlainControl> arrowOffsets;  // section BUTTONINFO2: offsets into Arrow.jpg
    QSize arrowCell;                         // size of one arrow picture in Arrow.jpg
    QRect plate;                             // the keyboard's plate
    QRect panel;                             // the lighting panel
    int footerTop = 0;
};

inline constexpr int kMainCornerRadius = 16;

// Fails (with `error`) only when the key table and the keyboard drawing disagree.
bool BuildMainWindow(MainWindow& window, QString& error);
// Everything of the main window's face that is no button.
void DrawMainBackground(QPainter& painter, const MainWindow& window);
// Image buttons that live in the lighting panel and vanish with it.
bool IsLightingPanelButton(const ImageButton& button);
// Main.ini, the background and mask, the state pictures, the colour-keys pictures and Arrow.jpg.
bool WriteMainWindowSkin(const SkinFolder& folder, const MainWindow& window, QString& error);
// The rectangle of a skin key of the main window (buttons and plain controls); empty when none.
QRect MainControlRect(const MainWindow& window, const QString& key);

}  // namespace tavrin::skin
