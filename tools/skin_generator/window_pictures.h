// A window's full-size pictures: its background, then its image buttons in one state.
#pragma once

#include <QImage>
#include <QPainter>
#include <functional>

#include "skin_layout.h"

namespace tavrin::skin {

using BackgroundPainter = std::function<void(QPainter&)>;
using ButtonFilter = std::function<bool(const ImageButton&)>;

// The background with every button that `include` accepts (all when it is empty) in `state`.
QImage RenderWindow(
    const WindowLayout& layout, const BackgroundPainter& background, State state, const ButtonFilter& include = {});

}  // namespace tavrin::skin
