#include "ui/base_dialog.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "ui/skin_failure.h"
#include "ui/skin_layout.h"
#include "ui/skin_pictures.h"

namespace tavrin::ui {

CBaseDialog::CBaseDialog(QWidget* parent, std::string layoutFile, std::string skinFolder)
    : QDialog(parent)
    , layoutFile_(std::move(layoutFile))
    , skinFolder_(std::move(skinFolder))
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
}

bool CBaseDialog::ApplySkin()
{
    applyingSkin_ = true;
    ini_.SetPath(layoutFile_);
    const ScreenPictures names = ReadScreenPictures(layoutFile_);
    QImage background = names.main.empty() ? QImage() : LoadSkinPicture(skinFolder_ + names.main);
    if (background.isNull())
        return FailSkin("the window picture \"" + names.main + "\" could not be loaded");
    const QImage mask = names.mask.empty() ? QImage() : LoadSkinPicture(skinFolder_ + names.mask);
    if (mask.isNull())
        return FailSkin("the mask picture \"" + names.mask + "\" could not be loaded");

    const QSize size = background.size();
    background_ = QPixmap::fromImage(std::move(background));
    resize(size);
    // The mask serves only to cut the shape; it is not kept beside the region made from it.
    region_ = RegionFromMask(mask, size);
    // An empty region would clear the mask and show the whole window; a shape that lies outside the
    // window shows none of it, as an all-white mask means.
    setMask(region_.isEmpty() ? QRegion(-1, -1, 1, 1) : region_);
    // The picture covers the whole window: nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    applyingSkin_ = false;
    return true;
}

bool CBaseDialog::FailSkin(const std::string& reason)
{
    applyingSkin_ = false;
    EndForMissingSkin(reason);
    ReleasePictures();
    return false;
}

void CBaseDialog::ReleasePictures()
{
    background_ = QPixmap();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void CBaseDialog::accept()
{
    ReleasePictures();
    QDialog::accept();
}

void CBaseDialog::paintEvent(QPaintEvent*)
{
    if (background_.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void CBaseDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void CBaseDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) {
        QDialog::mouseMoveEvent(event);
        return;
    }
    move(event->globalPosition().toPoint() - dragOffset_);
    update();
}

void CBaseDialog::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

}  // namespace tavrin::ui
