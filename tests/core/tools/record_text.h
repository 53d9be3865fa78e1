#pragma once
// The records that the crash-test writer stores, generation after generation: the whole file is
// known from its generation number, so a reader can tell a whole file from a broken one.

#include <string>

namespace vq::test {

inline constexpr int kCrashTestRecords = 300;

inline std::string crashTestRecord(long generation, int index) {
    return "00:42:17     |     20:13:05     |     08/12/2026     |     Soir " + std::to_string(generation) +
           "." + std::to_string(index) + std::string(static_cast<std::size_t>(generation % 37), '+');
}

inline std::string crashTestFile(long generation) {
    std::string s = "[Enregistrement]\n";
    for (int i = 0; i < kCrashTestRecords; ++i)
        s += std::to_string(i) + "=" + crashTestRecord(generation, i) + "\n";
    return s + "[nbdent]\nn°=" + std::to_string(generation) + "\n";
}

}  // namespace vq::test
