#include "window_pictures.h"

#include "skin_painter.h"

namespace tavrin::skin {

QImage RenderWindow(
    const WindowLayout& layout, const BackgroundPainter& background, State state, const ButtonFilter& include)
{
    QImage image(layout.size, QImage::Format_RGB32);
    image.fill(colours::kWindow);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    background(painter);
    for (const ImageButton& button : layout.buttons)
        if (!include || include(button))
            DrawImageButton(painter, button, state, layout.size.width());
    return image;
}

}  // namespace tavrin::skin
