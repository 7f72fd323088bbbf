// The program's icons: the window and tray icon (128; 141, shown while the keyboard is present, is
// the same picture) and the tray's play symbol (142), each drawn for every size desktops ask for.
#pragma once

#include <QImage>
#include <QString>

#include "image_files.h"

namespace tavrin::skin {

enum class ProgramIcon {
    Program,  // a keycap in the accent colour on the dark plate
    Playing,  // a play triangle on the dark plate
};

// The sizes written beside the large picture, as "icon_<number>_<size>.png".
inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128};
// The large picture, "icon_<number>.png".
inline constexpr int kProgramIconLargeSize = 256;

// The icon drawn for `size` × `size` pixels: small sizes get fewer, heavier shapes on whole pixels.
QImage DrawProgramIcon(ProgramIcon icon, int size);

// icon_128, icon_141 and icon_142 at every size, as PNG with transparency.
bool WriteProgramIcons(const SkinFolder& folder, QString& error);

}  // namespace tavrin::skin
