#pragma once
// MakeRegion: the outline of a face picture as horizontal runs of non-background pixels. The
// background colour is the picture's top-left pixel; every pixel of that exact colour is cut away.

#include <cstdint>
#include <vector>

namespace vq {

// A picture's pixels, row after row, `width` colours per row, compared as exact 32-bit values.
struct PixelGrid {
    int width = 0;
    int height = 0;
    const std::uint32_t* pixels = nullptr;
};

// One run: columns [left, right) of rows [top, bottom), in pixels from the picture's top-left corner.
struct RegionRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const RegionRect&, const RegionRect&) = default;
};

// The runs of the picture, row by row from the top, left to right within a row; one rectangle per
// run, one row high. Empty when every pixel has the top-left pixel's colour (or the grid is empty).
std::vector<RegionRect> MakeRegion(const PixelGrid& grid);

}  // namespace vq
