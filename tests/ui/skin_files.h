// Small skins written by the tests: layout files and pictures in a temporary folder.
#pragma once

#include <QColor>
#include <QImage>
#include <QRegion>
#include <fstream>
#include <string>

#include "support/temporary_folder.h"

namespace tavrin::testing {

// Regions compare by the rectangles they are made of; shapes compare by the pixels they cover.
inline bool SameShape(const QRegion& left, const QRegion& right)
{
    return left.xored(right).isEmpty();
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline QImage SolidPicture(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Every pixel different, so that a piece cut at the wrong place shows.
inline QImage PatternPicture(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed) & 0xFF, (y * 5 + seed * 3) & 0xFF, (x + y + seed * 11) & 0xFF));
    return image;
}

inline void WritePicture(
    const TemporaryFolder& folder, const std::string& name, const QImage& image, const char* format = nullptr)
{
    image.save(QString::fromStdString(folder.File(name)), format);
}

}  // namespace tavrin::testing
