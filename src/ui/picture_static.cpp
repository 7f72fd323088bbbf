#include "ui/picture_static.h"

#include <QMouseEvent>
#include <QPainter>

namespace tavrin::ui {

PictureStatic::PictureStatic(QWidget* parent)
    : QWidget(parent)
{
}

void PictureStatic::SetPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

void PictureStatic::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void PictureStatic::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void PictureStatic::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit Clicked();
}

}  // namespace tavrin::ui
