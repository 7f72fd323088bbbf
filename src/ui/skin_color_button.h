// The colour-picker button of the skinned windows: a swatch of the chosen colour beside a grey drop
// box. A click opens a palette of five columns with an "other" entry for any colour.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFrame>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tavrin::ui {

class ColourPalettePopup;

class CSkinColorBtn : public QAbstractButton {
    Q_OBJECT
public:
    // Asks for any colour, starting from `initial`; nothing when the user cancels.
    using OtherColourPicker = std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;
    static constexpr int kPaletteColumns = 5;

    explicit CSkinColorBtn(QWidget* parent = nullptr);

    // 0x00BBGGRR; nothing is the unset colour, drawn without a swatch.
    void SetColour(std::optional<std::uint32_t> colour);
    std::optional<std::uint32_t> Colour() const { return colour_; }

    void SetOtherLabel(const QString& label) { otherLabel_ = label; }
    // Replaces the colour dialog behind "other" (tests answer it in advance).
    void SetOtherColourPicker(OtherColourPicker picker) { otherPicker_ = std::move(picker); }

    // Opens the palette under the button; it closes when a colour is chosen or the user clicks away.
    void ShowPalette();
    ColourPalettePopup* Palette() const { return palette_; }

    // The palette's colours, row by row (0x00BBGGRR).
    static const std::vector<std::uint32_t>& PaletteColours();

signals:
    void ColourChosen(std::uint32_t colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Choose(std::uint32_t colour);
    void ChooseOther();

    std::optional<std::uint32_t> colour_;
    QString otherLabel_ = tr("Other...");
    OtherColourPicker otherPicker_;
    QPointer<ColourPalettePopup> palette_;
};

// The popup of the colour button: one small button per palette colour and the "other" entry.
class ColourPalettePopup : public QFrame {
    Q_OBJECT
public:
    ColourPalettePopup(const std::vector<std::uint32_t>& colours, const QString& otherLabel, QWidget* parent);

    // The swatch of palette entry `index`, and the "other" entry.
    QAbstractButton* Swatch(std::size_t index) const;
    QAbstractButton* Other() const { return other_; }

signals:
    void ColourPicked(std::uint32_t colour);
    void OtherPicked();

private:
    std::vector<QAbstractButton*> swatches_;
    QAbstractButton* other_ = nullptr;
};

}  // namespace tavrin::ui
