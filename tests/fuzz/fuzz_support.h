#pragma once
// Shared by the fuzz targets: a private folder for the files a target writes, and a way to stop on a
// broken invariant that every fuzzing engine reports.

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vq::fuzz {

inline const std::string& scratchFolder() {
    static const std::string folder = [] {
        auto dir = std::filesystem::temp_directory_path() / ("vqfuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        return dir.string();
    }();
    return folder;
}

inline void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace vq::fuzz
