// The profile dialog: the list of profile files, Add, Load and Delete under it, and Apply, OK and
// Cancel. Its buttons carry their words in the pictures.
#pragma once

#include <QString>

#include "image_files.h"
#include "skin_layout.h"

namespace tavrin::skin {

WindowLayout ProfileLayout();
// Profile.ini, the mask and the three state pictures (the normal one is also the background).
bool WriteProfileSkin(const SkinFolder& folder, QString& error);

}  // namespace tavrin::skin
