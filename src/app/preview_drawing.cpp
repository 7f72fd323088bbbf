#include "app/preview_drawing.h"

#include "ui/png_button.h"

namespace tavrin::app {

void DrawPreviewFrame(const LitButtonWidgets& buttons, const lighting::PreviewFrame& frame,
    const lighting::KeyColours& colours, std::size_t slot)
{
    const auto& lit = lighting::LitButtons();
    for (std::size_t place = 0; place < buttons.size(); ++place) {
        ui::CPngButton* button = buttons[place];
        if (!button)
            continue;
        std::optional<lighting::Colour> colour = frame.colours[place];
        if (frame.perKey)
            colour = colours.ColourAt(slot, lit[place].led);
        if (!colour) {
            if (button->FrameColourEnabled())
                button->SetFrameColour(0, kPreviewTransparency, false);
        } else if (!button->FrameColourEnabled() || button->FrameColour() != *colour) {
            button->SetFrameColour(*colour, kPreviewTransparency, true);
        }
    }
}

}  // namespace tavrin::app
