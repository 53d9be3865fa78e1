#include "core/clock.h"

#include <chrono>
#include <ctime>

namespace vq {
namespace {

std::tm localNow() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return tm;
}

}  // namespace

Date SystemClock::today() const {
    std::tm tm = localNow();
    return Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

TimeOfDay SystemClock::now() const {
    std::tm tm = localNow();
    return TimeOfDay{tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::int64_t SystemClock::elapsedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace vq
