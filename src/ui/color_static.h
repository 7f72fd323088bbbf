// A label drawn straight onto the skin picture: no background of its own, a settable text colour
// and font height. Each setter redraws the label.
#pragma once

#include <QLabel>
#include <cstdint>

namespace tavrin::ui {

class ColorStatic : public QLabel {
    Q_OBJECT
public:
    explicit ColorStatic(QWidget* parent = nullptr);

    // Colours are 0x00BBGGRR.
    void SetTextColour(std::uint32_t colour);
    // Kept for callers; the label itself always lets the window's picture show through.
    void SetBackgroundColour(std::uint32_t colour);
    // Character height in pixels.
    void SetFontHeight(int pixels);

    std::uint32_t TextColour() const { return textColour_; }
    std::uint32_t BackgroundColour() const { return backgroundColour_; }

private:
    std::uint32_t textColour_ = 0;
    std::uint32_t backgroundColour_ = 0x00FFFFFF;
};

}  // namespace tavrin::ui
