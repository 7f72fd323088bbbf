// Writing the skin's files: pictures in the formats the program reads, and window masks.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace tavrin::skin {

// The folder the skin is written into; every file name is relative to it.
class SkinFolder {
public:
    explicit SkinFolder(QString path)
        : path_(std::move(path))
    {
    }
    const QString& path() const { return path_; }
    QString filePath(const QString& name) const;

    // JPEG at a quality that keeps legends crisp; false with `error` set when it cannot be written.
    bool saveJpeg(const QImage& image, const QString& name, QString& error) const;
    // PNG with its transparency.
    bool savePng(const QImage& image, const QString& name, QString& error) const;
    // Windows bitmap, 24 bits per pixel.
    bool saveBitmap(const QImage& image, const QString& name, QString& error) const;
    bool saveText(const QByteArray& text, const QString& name, QString& error) const;

private:
    QString path_;
};

// A window's outline: black inside a rounded rectangle of `radius`, pure white outside. Anti-aliased
// edge pixels count as inside, so that the outline never loses a pixel of the face.
QImage RoundedMask(QSize size, int radius);

}  // namespace tavrin::skin
