// The image button of the skinned windows: a piece of the window's state pictures (normal, hover,
// pressed, disabled, checked) cut at the button's offset, with an optional text, a coloured frame in
// place of the picture, alternative pictures and a tooltip.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "ui/button_state.h"

namespace tavrin::ui {

class CPngButton : public QAbstractButton {
    Q_OBJECT
public:
    // Runs after every redraw with whether the normal picture was drawn.
    using AfterPaint = std::function<void(CPngButton& button, bool normalDrawn)>;
    static constexpr int kTooltipDelayMs = 300;
    static constexpr int kDefaultTextPoints = 8;
    static constexpr const char* kDefaultTextFace = "Tahoma";

    explicit CPngButton(QWidget* parent = nullptr);

    // The pictures are the window's (they are shared, and outlive the button); (x, y) is where the
    // button's rectangle lies in them. Clears hover and pressed.
    void SetSkin(int x, int y, const QPixmap& normal, const QPixmap& hover, const QPixmap& pressed,
        const QPixmap& disabled, const QPixmap& checked, bool redraw = true);
    void SetPictureOffset(int x, int y, bool redraw = true);
    QPoint PictureOffset() const { return offset_; }

    void SetChecked(bool checked, bool redraw = true);
    bool Checked() const { return checked_; }

    // While enabled the button draws a frame of `colour` (0x00BBGGRR) over the picture it showed
    // last. Transparency (0–100, larger values kept as 100) is stored for callers, not drawn.
    void SetFrameColour(std::uint32_t colour, int transparency, bool enabled);
    bool FrameColourEnabled() const { return frameEnabled_; }
    std::uint32_t FrameColour() const { return frameColour_; }
    int FrameTransparency() const { return frameTransparency_; }

    // `selector` 0 shows `first`, anything else `second`, in place of every state picture.
    void SetAlternativePictures(
        bool enabled, int selector, const QPixmap& first, const QPixmap& second, bool redraw = true);
    bool AlternativeShown() const { return alternative_; }
    int AlternativeSelector() const { return selector_; }

    // Colours 0x00BBGGRR for normal, hover, pressed and disabled text; `spare` is kept, not drawn.
    // `format` holds the draw-text bits of button_state.h.
    void SetTextStyle(bool show, int points, const QString& face, std::uint32_t normal, std::uint32_t hover,
        std::uint32_t pressed, std::uint32_t disabled, std::uint32_t spare = 0,
        std::uint32_t format = kDefaultTextFormat);
    void SetTextMargins(int left, int top, int right, int bottom);
    // Escapement in tenths of a degree, counter-clockwise.
    void SetEscapementAndBold(int escapement, bool bold);
    bool ShowsText() const { return showText_; }
    QFont TextFont() const;

    // Shown 300 ms after the mouse arrives, while active.
    void SetTooltip(const QString& text, bool activate);
    QString TooltipText() const { return tooltipText_; }
    bool TooltipActive() const { return tooltipActive_; }
    const QTimer& TooltipTimer() const { return tooltipTimer_; }

    void SetAfterPaint(AfterPaint callback) { afterPaint_ = std::move(callback); }

    ButtonState State() const;
    bool Hovered() const { return hover_; }
    // The picture the last redraw showed; none before the first.
    std::optional<PictureRole> LastPicture() const { return lastPicture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    enum Picture { Normal, Hover, Pressed, Disabled, CheckedPicture, PictureCount };
    const QPixmap& PictureOf(PictureRole role) const;
    std::uint32_t TextColourOf(TextColourRole role) const;
    void DrawText(QPainter& painter, TextColourRole role);
    void StartHover();
    void ShowTooltip();

    QPoint offset_;
    std::array<QPixmap, PictureCount> pictures_;
    bool hover_ = false;
    bool checked_ = false;

    bool frameEnabled_ = false;
    std::uint32_t frameColour_ = 0;
    int frameTransparency_ = 0;

    bool alternative_ = false;
    int selector_ = 0;
    std::array<QPixmap, 2> alternatives_;

    bool showText_ = false;
    int textPoints_ = kDefaultTextPoints;
    QString textFace_ = kDefaultTextFace;
    std::array<std::uint32_t, 5> textColours_{};
    std::uint32_t textFormat_ = kDefaultTextFormat;
    QMargins textMargins_;
    int escapement_ = 0;
    bool bold_ = false;

    QString tooltipText_;
    bool tooltipActive_ = false;
    QTimer tooltipTimer_;

    AfterPaint afterPaint_;
    std::optional<PictureRole> lastPicture_;
};

}  // namespace tavrin::ui
