// The program's icon for the desktop's application menu and software centres: the same picture
// as the window's icon, installed into the hicolor icon theme.
#pragma once

#include <QString>

namespace tavrin::skin {

// The icon theme name the desktop entry and the metainfo ask for.
inline constexpr char kDesktopIconName[] = "tavrin";
// The sizes of the theme's fixed-size folders that are written.
inline constexpr int kDesktopIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

// Writes "<size>x<size>/apps/tavrin.png" under `themeFolder` for every size; false with `error`
// set when a file cannot be written.
bool WriteDesktopIcons(const QString& themeFolder, QString& error);

}  // namespace tavrin::skin
