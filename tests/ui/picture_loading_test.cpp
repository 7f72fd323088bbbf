#include <QBuffer>
#include <gtest/gtest.h>

#include "skin_files.h"
#include "ui/picture_check.h"
#include "ui/skin_pictures.h"

namespace tavrin::ui {
namespace {

using testing::PatternPicture;
using testing::TemporaryFolder;
using testing::WriteText;

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

bool Complete(const QByteArray& bytes)
{
    return PictureDataComplete(
        {reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
}

TEST(PictureLoadingTest, PicturesCutShortAreRefused)
{
    TemporaryFolder folder;
    const QImage picture = PatternPicture(64, 48, 3);
    for (const char* format : {"JPG", "BMP", "PNG"}) {
        SCOPED_TRACE(format);
        const QByteArray whole = Encoded(picture, format);
        ASSERT_TRUE(Complete(whole));
        const std::string path = folder.File(std::string("picture.") + format);
        WriteText(path, whole.toStdString());
        EXPECT_EQ(LoadSkinPicture(path).size(), picture.size());
        // The decoder alone accepts the JPEG and bitmap cut in their pixel data.
        for (const qsizetype keep : {whole.size() - 2, whole.size() / 2, qsizetype(100), qsizetype(10), qsizetype(0)}) {
            SCOPED_TRACE(keep);
            // A PNG's last bytes are its end chunk's checksum: without them the picture is whole.
            if (std::string(format) == "PNG" && keep == whole.size() - 2)
                continue;
            WriteText(path, whole.left(keep).toStdString());
            EXPECT_TRUE(LoadSkinPicture(path).isNull());
        }
    }
}

TEST(PictureLoadingTest, DecodesByContentAndRefusesWhatIsNoPicture)
{
    TemporaryFolder folder;
    const QImage picture = PatternPicture(16, 8, 1);
    // A JPEG under a bitmap's name is still read.
    WriteText(folder.File("named.bmp"), Encoded(picture, "JPG").toStdString());
    EXPECT_EQ(LoadSkinPicture(folder.File("named.bmp")).size(), picture.size());
    WriteText(folder.File("text.jpg"), "[SCREEN]\nMain=x\n");
    EXPECT_TRUE(LoadSkinPicture(folder.File("text.jpg")).isNull());
    EXPECT_TRUE(LoadSkinPicture(folder.File("missing.jpg")).isNull());
    EXPECT_TRUE(LoadSkinPicture(folder.Path().string()).isNull()) << "a folder";
}

TEST(PictureLoadingTest, BitmapHeadersThatClaimMoreThanTheFileHolds)
{
    QByteArray bitmap = Encoded(PatternPicture(8, 8, 2), "BMP");
    ASSERT_TRUE(Complete(bitmap));
    QByteArray tall = bitmap;
    tall[22] = char(0x00);
    tall[23] = char(0x10);  // 4096 rows
    EXPECT_FALSE(Complete(tall));
    QByteArray farPixels = bitmap;
    farPixels[13] = char(0x7F);  // pixel data said to start far beyond the end
    EXPECT_FALSE(Complete(farPixels));
    EXPECT_FALSE(Complete(bitmap.left(20))) << "header cut";
    EXPECT_FALSE(Complete(QByteArray("\xFF\xD8\xFF\xD9", 4))) << "a JPEG without any scan";
}

}  // namespace
}  // namespace tavrin::ui
