#include "ui/color_static.h"

#include <algorithm>

#include "ui/skin_pictures.h"

namespace tavrin::ui {

ColorStatic::ColorStatic(QWidget* parent)
    : QLabel(parent)
{
    setAutoFillBackground(false);
    SetTextColour(textColour_);
}

void ColorStatic::SetTextColour(std::uint32_t colour)
{
    textColour_ = colour;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, ColourOfValue(colour));
    setPalette(colours);
    update();
}

void ColorStatic::SetBackgroundColour(std::uint32_t colour)
{
    backgroundColour_ = colour;
    update();
}

void ColorStatic::SetFontHeight(int pixels)
{
    QFont changed = font();
    changed.setPixelSize(std::max(pixels, 1));
    setFont(changed);
    update();
}

}  // namespace tavrin::ui
