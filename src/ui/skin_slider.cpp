#include "ui/skin_slider.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace tavrin::ui {

CSkinSlider::CSkinSlider(QWidget* parent)
    : QAbstractSlider(parent)
{
    setRange(0, kPositions - 1);
    setOrientation(Qt::Horizontal);
    connect(this, &QAbstractSlider::valueChanged, this, [this] { update(); });
}

void CSkinSlider::SetPictures(std::vector<QPixmap> pictures)
{
    pictures_ = std::move(pictures);
    update();
}

const QPixmap& CSkinSlider::CurrentPicture() const
{
    static const QPixmap none;
    const auto position = static_cast<std::size_t>(value());
    return position < pictures_.size() ? pictures_[position] : none;
}

void CSkinSlider::paintEvent(QPaintEvent*)
{
    const QPixmap& picture = CurrentPicture();
    if (picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
}

int CSkinSlider::PositionAt(int x) const
{
    if (width() <= 1)
        return minimum();
    const int span = maximum() - minimum();
    const int clamped = std::clamp(x, 0, width() - 1);
    return minimum() + (clamped * span + (width() - 1) / 2) / (width() - 1);
}

void CSkinSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setSliderDown(true);
    setSliderPosition(PositionAt(event->position().toPoint().x()));
    event->accept();
}

void CSkinSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (isSliderDown())
        setSliderPosition(PositionAt(event->position().toPoint().x()));
}

void CSkinSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isSliderDown()) {
        setSliderPosition(PositionAt(event->position().toPoint().x()));
        setSliderDown(false);
    }
}

}  // namespace tavrin::ui
