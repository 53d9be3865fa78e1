#include "skins/region.h"

#include <gtest/gtest.h>

#include <vector>

namespace vq {
namespace {

constexpr std::uint32_t B = 0xFFFF00FF;  // background (the top-left pixel)
constexpr std::uint32_t X = 0xFF204060;
constexpr std::uint32_t Y = 0xFF204061;  // differs from X by one bit: still not background

std::vector<RegionRect> runsOf(int width, int height, const std::vector<std::uint32_t>& pixels) {
    return MakeRegion(PixelGrid{width, height, pixels.data()});
}

TEST(MakeRegion, OneRunPerMaximalSequenceOfNonBackgroundPixels) {
    EXPECT_EQ(runsOf(3, 1, {B, X, B}), (std::vector<RegionRect>{{1, 0, 2, 1}}));
    // Two shapes on one row, and colours that differ from each other but not from the background
    // join into one run.
    EXPECT_EQ(runsOf(7, 1, {B, X, Y, B, B, X, B}), (std::vector<RegionRect>{{1, 0, 3, 1}, {5, 0, 6, 1}}));
}

TEST(MakeRegion, RunsOpenAtTheRowEndCloseAtTheRightEdgeAndNeverSpanRows) {
    const std::vector<std::uint32_t> pixels{
        B, B, X, X,  //
        X, X, X, X,  //
        X, B, B, X,  //
    };
    EXPECT_EQ(runsOf(4, 3, pixels),
              (std::vector<RegionRect>{{2, 0, 4, 1}, {0, 1, 4, 2}, {0, 2, 1, 3}, {3, 2, 4, 3}}));
}

TEST(MakeRegion, BackgroundIsTheTopLeftColourWhereverItAppears) {
    // The corner colour is cut out everywhere, even where the design meant it to be visible.
    const std::vector<std::uint32_t> pixels{
        X, B, X,  //
        B, X, B,  //
    };
    EXPECT_EQ(runsOf(3, 2, pixels), (std::vector<RegionRect>{{1, 0, 2, 1}, {0, 1, 1, 2}, {2, 1, 3, 2}}));
}

TEST(MakeRegion, OneColourOrEmptyPictureGivesNoRectangle) {
    EXPECT_TRUE(runsOf(4, 2, std::vector<std::uint32_t>(8, X)).empty());
    EXPECT_TRUE(runsOf(0, 0, {}).empty());
    EXPECT_TRUE(MakeRegion(PixelGrid{5, 5, nullptr}).empty());
}

}  // namespace
}  // namespace vq
