#include "skins/region.h"

namespace vq {

std::vector<RegionRect> MakeRegion(const PixelGrid& grid) {
    std::vector<RegionRect> runs;
    if (grid.width <= 0 || grid.height <= 0 || grid.pixels == nullptr) {
        return runs;
    }
    const std::uint32_t background = grid.pixels[0];
    for (int y = 0; y < grid.height; ++y) {
        const std::uint32_t* row = grid.pixels + static_cast<std::size_t>(y) * grid.width;
        int x = 0;
        while (x < grid.width) {
            while (x < grid.width && row[x] == background) {
                ++x;
            }
            if (x == grid.width) {
                break;
            }
            const int start = x;
            while (x < grid.width && row[x] != background) {
                ++x;
            }
            // A run still open at the row's end closes at the right edge; none continues downwards.
            runs.push_back({start, y, x, y + 1});
        }
    }
    return runs;
}

}  // namespace vq
