#include "ui/skin_color_button.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QPainter>
#include <QPushButton>

#include "ui/color_button_face.h"
#include "ui/skin_pictures.h"

namespace tavrin::ui {
namespace {

constexpr int kSwatchSize = 18;

// One palette entry: a flat square of its colour.
class SwatchButton : public QAbstractButton {
public:
    SwatchButton(std::uint32_t colour, QWidget* parent)
        : QAbstractButton(parent)
        , colour_(colour)
    {
        setFixedSize(kSwatchSize, kSwatchSize);
        setToolTip(ColourOfValue(colour).name());
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        painter.setPen(underMouse() || hasFocus() ? palette().color(QPalette::Highlight) : QColor(Qt::gray));
        painter.setBrush(ColourOfValue(colour_));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }

private:
    std::uint32_t colour_;
};

}  // namespace

const std::vector<std::uint32_t>& CSkinColorBtn::PaletteColours()
{
    // Eight rows of five: greys, then the pure and mixed colours light to dark (0x00BBGGRR).
    static const std::vector<std::uint32_t> colours = {
        0x000000, 0x404040, 0x808080, 0xC0C0C0, 0xFFFFFF,  //
        0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF80, 0x00FF00,  //
        0x80FF00, 0xFFFF00, 0xFF8000, 0xFF0000, 0xFF0080,  //
        0xFF00FF, 0x8000FF, 0x8080FF, 0x80C0FF, 0x80FFFF,  //
        0x80FF80, 0xFFFF80, 0xFF8080, 0xFF80FF, 0xC080FF,  //
        0x000080, 0x004080, 0x008080, 0x008000, 0x808000,  //
        0x800000, 0x800080, 0x400080, 0x004040, 0x404000,  //
        0x400000, 0x400040, 0x000040, 0x002040, 0x204020,  //
    };
    return colours;
}

CSkinColorBtn::CSkinColorBtn(QWidget* parent)
    : QAbstractButton(parent)
    , otherPicker_([](const QColor& initial, QWidget* owner) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, owner);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    })
{
    connect(this, &QAbstractButton::clicked, this, &CSkinColorBtn::ShowPalette);
}

void CSkinColorBtn::SetColour(std::optional<std::uint32_t> colour)
{
    colour_ = colour;
    update();
}

void CSkinColorBtn::ShowPalette()
{
    if (palette_)
        palette_->close();
    palette_ = new ColourPalettePopup(PaletteColours(), otherLabel_, this);
    palette_->setAttribute(Qt::WA_DeleteOnClose);
    connect(palette_, &ColourPalettePopup::ColourPicked, this, &CSkinColorBtn::Choose);
    connect(palette_, &ColourPalettePopup::OtherPicked, this, &CSkinColorBtn::ChooseOther);
    palette_->adjustSize();
    palette_->move(mapToGlobal(QPoint(0, height())));
    palette_->show();
}

void CSkinColorBtn::Choose(std::uint32_t colour)
{
    if (palette_)
        palette_->close();
    SetColour(colour);
    emit ColourChosen(colour);
}

void CSkinColorBtn::ChooseOther()
{
    if (palette_)
        palette_->close();
    const QColor initial = colour_ ? ColourOfValue(*colour_) : QColor(Qt::white);
    if (const std::optional<QColor> chosen = otherPicker_(initial, this))
        Choose(ValueOfColour(*chosen));
}

void CSkinColorBtn::paintEvent(QPaintEvent*)
{
    const ColorButtonFace face = ColorButtonFaceOf({0, 0, width(), height()}, colour_.has_value(), isEnabled());
    const auto toRect
        = [](const FaceRect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); };
    QPainter painter(this);
    const QRect swatch = toRect(face.colourArea);
    // A one-pixel frame, both edges in the shadow colour of the palette.
    painter.setPen(palette().color(QPalette::Dark));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    if (face.fillColour)
        painter.fillRect(swatch.adjusted(1, 1, -1, -1), ColourOfValue(*colour_));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(ColourOfValue(kDropBoxGrey));
    painter.drawRect(toRect(face.dropBox).adjusted(0, 0, -1, -1));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const QPoint arrow[3]
        = {{face.arrow[0].x, face.arrow[0].y}, {face.arrow[1].x, face.arrow[1].y}, {face.arrow[2].x, face.arrow[2].y}};
    painter.drawPolygon(arrow, 3);
}

ColourPalettePopup::ColourPalettePopup(
    const std::vector<std::uint32_t>& colours, const QString& otherLabel, QWidget* parent)
    : QFrame(parent, Qt::Popup)
{
    setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(this);
    grid->setSpacing(2);
    grid->setContentsMargins(4, 4, 4, 4);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        auto* swatch = new SwatchButton(colours[i], this);
        const std::uint32_t colour = colours[i];
        connect(swatch, &QAbstractButton::clicked, this, [this, colour] { emit ColourPicked(colour); });
        grid->addWidget(swatch, static_cast<int>(i) / CSkinColorBtn::kPaletteColumns,
            static_cast<int>(i) % CSkinColorBtn::kPaletteColumns);
        swatches_.push_back(swatch);
    }
    auto* other = new QPushButton(otherLabel, this);
    connect(other, &QAbstractButton::clicked, this, &ColourPalettePopup::OtherPicked);
    const int rows
        = static_cast<int>((colours.size() + CSkinColorBtn::kPaletteColumns - 1) / CSkinColorBtn::kPaletteColumns);
    grid->addWidget(other, rows, 0, 1, CSkinColorBtn::kPaletteColumns);
    other_ = other;
}

QAbstractButton* ColourPalettePopup::Swatch(std::size_t index) const
{
    return index < swatches_.size() ? swatches_[index] : nullptr;
}

}  // namespace tavrin::ui
