// The keyboard picture of the main window: the 104 keys in the standard ANSI layout with the Fn key
// in the bottom row, the nine G keys and the bank indicator, measured in key units.
#pragma once

#include <QPoint>
#include <QString>
#include <vector>

#include "skin_layout.h"

namespace tavrin::skin {

struct KeyboardPlacement {
    QPoint origin;         // top-left of the Esc key's row, left edge of the main block
    int unit = 44;         // width of a 1u key cell in pixels
    int functionGap = 22;  // gap between the function row and the number row
};

// Every key button under its skin key ("KEY_%03X", "KEY_FN", "FUNC_G%d", "LOCK_AB"). Fails (empty,
// `error` set) when a key button of the key table has no place in the drawing.
std::vector<ImageButton> KeyboardButtons(const KeyboardPlacement& placement, QString& error);

// Pixel rectangle of a cell `x`, `y` (key units, y counts rows with the function gap) `w` × `h`.
QRect KeyCell(const KeyboardPlacement& placement, double x, double row, double w, double h = 1.0);

}  // namespace tavrin::skin
