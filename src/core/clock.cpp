#include "core/clock.h"

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

}  // namespace vq
