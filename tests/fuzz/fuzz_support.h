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
        // Memory-backed when possible: every write of the store is flushed to disk.
        std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        auto dir = base / ("vqfuzz-" + std::to_string(getpid()));
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
