#include "engine/counting.h"

#include "core/duration.h"

namespace vq {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool twoDigitsUpTo59(std::string_view s) {
    return isDigit(s[0]) && isDigit(s[1]) && s[0] <= '5';
}

int seconds(std::string_view d) {
    return (d[d.size() - 2] - '0') * 10 + (d[d.size() - 1] - '0');
}

}  // namespace

bool isDurationText(std::string_view d) {
    if (d.size() != 8 && d.size() != 9)
        return false;
    std::size_t h = d.size() - 6;
    for (std::size_t i = 0; i < h; ++i) {
        if (!isDigit(d[i]))
            return false;
    }
    return d[h] == ':' && d[h + 3] == ':' && twoDigitsUpTo59(d.substr(h + 1, 2)) &&
           twoDigitsUpTo59(d.substr(h + 4, 2));
}

int compareDurations(std::string_view a, std::string_view b) {
    long x = durationHours(a) * 3600L + durationMinutes(a) * 60L + seconds(a);
    long y = durationHours(b) * 3600L + durationMinutes(b) * 60L + seconds(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace vq
