// The composite key editor: a title bar, the page tabs, one card that each page fills with its own
// controls, and OK and Cancel. Each page has its own set of state pictures, in which its tab is the
// lit one; the macro-only set greys the other tabs.
#pragma once

#include <QString>

#include "image_files.h"
#include "skin_layout.h"

namespace tavrin::skin {

enum class CompositePage { Key, Macro, MacroOnly, Media, Function };

WindowLayout CompositeLayout(CompositePage page);
// Composite.ini, the background and mask, and the pictures of every page's set.
bool WriteCompositeSkin(const SkinFolder& folder, QString& error);

}  // namespace tavrin::skin
