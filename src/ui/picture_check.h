// Whether a picture file holds all of its picture. The decoder accepts a JPEG or bitmap that ends
// early and fills the rest with grey or black; a skin must not pass such a file for a good one.
#pragma once

#include <span>

namespace tavrin::ui {

// False for a JPEG without its end marker after its last scan, and for a bitmap whose pixel rows
// (or, compressed, its stated image size) reach past the end of the file. Other formats are left to
// their decoder, which refuses them when they are cut.
bool PictureDataComplete(std::span<const unsigned char> bytes);

}  // namespace tavrin::ui
