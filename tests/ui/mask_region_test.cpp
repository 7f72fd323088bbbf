#include <QImage>
#include <gtest/gtest.h>

#include "skin_files.h"
#include "ui/mask_runs.h"
#include "ui/skin_pictures.h"

namespace tavrin::ui {
namespace {

using testing::SameShape;
using testing::SolidPicture;

constexpr std::uint32_t W = 0xFFFFFFFF;  // transparent white
constexpr std::uint32_t K = 0xFF000000;

TEST(MaskRunsTest, RunsOfEveryRowThatAreNotPureWhite)
{
    // 0x00FFFFFF is white too: alpha does not count. 255, 255, 254 is inside.
    const std::vector<std::uint32_t> pixels = {
        W, K, K, W, K,                             //
        W, W, W, W, W,                             //
        0xFFFFFFFE, 0x00FFFFFF, 0xFFFEFFFF, K, W,  //
    };
    const std::vector<PixelRun> expected = {{1, 0, 2}, {4, 0, 1}, {0, 2, 1}, {2, 2, 2}};
    EXPECT_EQ(OpaqueRuns(pixels, 5, 3, 5), expected);
}

TEST(MaskRunsTest, StrideAndShortBuffersAreRespected)
{
    // Rows of three pixels stored four apart; the padding pixel is never looked at.
    const std::vector<std::uint32_t> padded = {K, W, K, 0x12345678, W, K, W, 0x12345678};
    EXPECT_EQ(OpaqueRuns(padded, 3, 2, 4), (std::vector<PixelRun>{{0, 0, 1}, {2, 0, 1}, {1, 1, 1}}));
    // A buffer shorter than its rows claim: only the complete rows count.
    EXPECT_EQ(OpaqueRuns(std::span(padded).first(6), 3, 2, 4), (std::vector<PixelRun>{{0, 0, 1}, {2, 0, 1}}));
    EXPECT_TRUE(OpaqueRuns(padded, 3, 2, 2).empty()) << "a stride shorter than a row";
    EXPECT_TRUE(OpaqueRuns(padded, -3, 2, 4).empty());
    EXPECT_TRUE(OpaqueRuns({}, 3, 2, 4).empty());
}

TEST(MaskRegionTest, OneRectangleInWhiteIsTheWholeWindow)
{
    QImage mask = SolidPicture(60, 40, Qt::white);
    for (int y = 5; y < 25; ++y)
        for (int x = 10; x < 50; ++x)
            mask.setPixel(x, y, qRgb(20, 30, 40));
    EXPECT_TRUE(SameShape(RegionFromMask(mask, mask.size()), QRegion(10, 5, 40, 20)));
}

TEST(MaskRegionTest, NearWhiteIsInsideAndAllWhiteIsEmpty)
{
    QImage mask = SolidPicture(8, 8, Qt::white);
    EXPECT_TRUE(RegionFromMask(mask, mask.size()).isEmpty());
    mask.setPixel(3, 4, qRgb(255, 255, 254));
    EXPECT_TRUE(SameShape(RegionFromMask(mask, mask.size()), QRegion(3, 4, 1, 1)));
}

TEST(MaskRegionTest, ManyRunsJoinIntoOneShape)
{
    // Every other pixel black: far more than a hundred runs, joined block by block.
    QImage mask = SolidPicture(64, 32, Qt::white);
    QRegion expected;
    for (int y = 0; y < 32; ++y)
        for (int x = y % 2; x < 64; x += 2) {
            mask.setPixel(x, y, qRgb(0, 0, 0));
            expected += QRect(x, y, 1, 1);
        }
    EXPECT_TRUE(SameShape(RegionFromMask(mask, mask.size()), expected));
}

TEST(MaskRegionTest, AMaskOfAnotherSizeCountsWhereItMeetsTheWindow)
{
    const QImage large = SolidPicture(100, 80, Qt::black);
    EXPECT_TRUE(SameShape(RegionFromMask(large, QSize(40, 30)), QRegion(0, 0, 40, 30)));
    const QImage small = SolidPicture(20, 10, Qt::black);
    EXPECT_TRUE(SameShape(RegionFromMask(small, QSize(40, 30)), QRegion(0, 0, 20, 10)))
        << "the rest lies outside the window";
    EXPECT_TRUE(RegionFromMask(QImage(), QSize(40, 30)).isEmpty());
}

}  // namespace
}  // namespace tavrin::ui
