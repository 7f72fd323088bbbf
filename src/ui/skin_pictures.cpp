#include "ui/skin_pictures.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <vector>

#include "ui/mask_runs.h"
#include "ui/picture_check.h"

namespace tavrin::ui {
namespace {

// Larger files are no skin picture; reading them would only waste memory.
constexpr qint64 kPictureFileLimit = 64 * 1024 * 1024;
// Runs are joined into the region in blocks, which keeps each union small.
constexpr std::size_t kRunsPerBlock = 100;

}  // namespace

QImage LoadSkinPicture(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kPictureFileLimit)
        return {};
    QByteArray data = file.readAll();
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    if (!PictureDataComplete({bytes, static_cast<std::size_t>(data.size())}))
        return {};
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

QRegion RegionFromMask(const QImage& mask, QSize window)
{
    if (mask.isNull())
        return {};
    const QImage pixels = mask.convertToFormat(QImage::Format_RGB32);
    const auto* first = reinterpret_cast<const std::uint32_t*>(pixels.constBits());
    const std::size_t stride = static_cast<std::size_t>(pixels.bytesPerLine()) / sizeof(std::uint32_t);
    const std::size_t count = static_cast<std::size_t>(pixels.sizeInBytes()) / sizeof(std::uint32_t);
    const std::vector<PixelRun> runs = OpaqueRuns({first, count}, pixels.width(), pixels.height(), stride);

    QRegion region;
    std::vector<QRect> block;
    block.reserve(kRunsPerBlock);
    const auto joinBlock = [&] {
        QRegion part;
        part.setRects(block.data(), static_cast<int>(block.size()));
        region += part;
        block.clear();
    };
    for (const PixelRun& run : runs) {
        block.emplace_back(run.x, run.y, run.width, 1);
        if (block.size() == kRunsPerBlock)
            joinBlock();
    }
    if (!block.empty())
        joinBlock();
    return region & QRegion(0, 0, window.width(), window.height());
}

}  // namespace tavrin::ui
