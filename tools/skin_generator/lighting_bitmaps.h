// The lighting panel's bitmaps (panel switch, direction sets, colourful switch, effect-17 colours,
// brushes, the slider positions) and the busy animation's frames, each at the size of the control
// that shows it in the main window.
#pragma once

#include <QString>

#include "image_files.h"
#include "main_window.h"

namespace tavrin::skin {

bool WriteLightingBitmaps(const SkinFolder& folder, const MainWindow& window, QString& error);

}  // namespace tavrin::skin
