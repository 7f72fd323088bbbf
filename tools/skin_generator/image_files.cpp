#include "image_files.h"

#include <QDir>
#include <QPainter>
#include <QSaveFile>

namespace tavrin::skin {
namespace {

bool Save(const QImage& image, const QString& path, const char* format, int quality, QString& error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, format, quality) || !file.commit()) {
        error = QString("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace

QString SkinFolder::filePath(const QString& name) const
{
    return QDir(path_).filePath(name);
}

bool SkinFolder::saveJpeg(const QImage& image, const QString& name, QString& error) const
{
    return Save(image.convertToFormat(QImage::Format_RGB32), filePath(name), "JPG", 95, error);
}

bool SkinFolder::savePng(const QImage& image, const QString& name, QString& error) const
{
    return Save(image.convertToFormat(QImage::Format_ARGB32), filePath(name), "PNG", -1, error);
}

bool SkinFolder::saveBitmap(const QImage& image, const QString& name, QString& error) const
{
    return Save(image.convertToFormat(QImage::Format_RGB888), filePath(name), "BMP", -1, error);
}

bool SkinFolder::saveText(const QByteArray& text, const QString& name, QString& error) const
{
    QSaveFile file(filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        error = QString("cannot write %1: %2").arg(filePath(name), file.errorString());
        return false;
    }
    return true;
}

QImage RoundedMask(QSize size, int radius)
{
    QImage mask(size, QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(0, 0, size.width(), size.height()), radius, radius);
    return mask;
}

}  // namespace tavrin::skin
