// The look of the plain controls (lists, drop-downs, fields, check boxes, labels) that skinned
// windows place on their dark panels.
#pragma once

#include <QString>

namespace tavrin::ui {

// A style sheet for a window's plain controls; labels get the skin's light text colour on a
// transparent ground.
QString DarkControlsStyle();

}  // namespace tavrin::ui
