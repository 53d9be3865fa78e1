// MakeRegion on a 1024 x 768 face: a rounded panel with holes, as a real skin's outline would be.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "skins/region.h"

namespace {

std::vector<std::uint32_t> roundedFace(int width, int height) {
    const std::uint32_t background = 0xFFFF00FF;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, background);
    const int radius = 60;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int cx = x < radius ? radius : (x >= width - radius ? width - radius - 1 : x);
            const int cy = y < radius ? radius : (y >= height - radius ? height - radius - 1 : y);
            const bool inside = (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
            // A grid of small cut-outs gives many runs per row.
            const bool hole = (x % 64) < 6 && (y % 48) < 6;
            if (inside && !hole) {
                pixels[static_cast<std::size_t>(y) * width + x] =
                    0xFF000000u | static_cast<std::uint32_t>(x ^ y);
            }
        }
    }
    return pixels;
}

void BM_MakeRegion1024x768(benchmark::State& state) {
    const auto pixels = roundedFace(1024, 768);
    const vq::PixelGrid grid{1024, 768, pixels.data()};
    for (auto _ : state) {
        auto runs = vq::MakeRegion(grid);
        benchmark::DoNotOptimize(runs.data());
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}
BENCHMARK(BM_MakeRegion1024x768)->Unit(benchmark::kMillisecond);

}  // namespace
